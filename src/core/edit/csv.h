#pragma once

#include <string>
#include <vector>

namespace orbisk {

// One line of CSV after RFC 4180: fields joined by commas, a field holding a comma, a
// quote or a line end put in quotes with its quotes doubled, the line ended by CR LF. A
// field that a spreadsheet would evaluate as a formula (it starts with "=", "+", "-",
// "@", a tab or a CR) is kept as text by an apostrophe before it, inside quotes; every
// byte of the field follows unchanged.
std::string CsvLine(const std::vector<std::string>& fields);

} // namespace orbisk
