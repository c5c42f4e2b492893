#pragma once

#include <string>

namespace orbisk {

// The program's Japanese texts in English, line by line, for a terminal that is not
// Japanese; the catalogue's and the engine's own words (titles, paths, the engine's text
// in parentheses) are kept. A line the table does not know is kept as it is.
std::string English(const std::string& japanese);

} // namespace orbisk
