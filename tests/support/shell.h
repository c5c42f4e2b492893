#pragma once

#include <string>

namespace orbisk::testing {

// Runs a shell command quietly; true when it succeeded.
bool RunQuietly(const std::string& command);
// What a shell command writes on its standard output, without the line breaks and blanks
// at its end.
std::string OutputOf(const std::string& command);
// Whether a program is on this machine.
bool HasProgram(const std::string& name);
// text in single quotes, for a shell line (text holds no single quote).
std::string Quoted(const std::string& text);

} // namespace orbisk::testing
