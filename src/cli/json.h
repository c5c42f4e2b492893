#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// text as a JSON string, quotes included. text must be UTF-8.
std::string JsonString(std::string_view text);

} // namespace orbisk
