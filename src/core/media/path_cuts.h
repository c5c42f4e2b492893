#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// The text after the path's last separator; the whole path when it has none.
std::string GetFileName(std::string_view path, char separator);

// The text after the name's last "."; the whole name when it has none.
std::string GetExtension(std::string_view name);

} // namespace orbisk
