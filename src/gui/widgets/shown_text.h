#pragma once

#include <QString>
#include <string>

namespace orbisk {

// A name or title as the windows show it: bytes that are not UTF-8 (a name from an old
// Japanese disc) read as the Japanese code page.
QString Shown(const std::string& bytes);

} // namespace orbisk
