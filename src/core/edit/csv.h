#pragma once

#include <string>
#include <vector>

namespace orbisk {

// One line of CSV after RFC 4180: fields joined by commas, a field holding a comma, a
// quote or a line end put in quotes with its quotes doubled, the line ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

} // namespace orbisk
