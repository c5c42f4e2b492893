#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orbisk::testing {

// An LZH archive of stored members (method -lh0-, level 0 headers), written from the
// format's documented headers: as an old Japanese LHA wrote them, names in the bytes given
// (code page 932 on such a system, "\" between folders).
std::string StoredLzh(const std::vector<std::pair<std::string, std::string>>& members);

} // namespace orbisk::testing
