#pragma once

#include "messages/message.h"

#include <optional>
#include <string>

namespace orbisk {

// Nothing when title can name a disc. Refused: the empty title, "ALL" (which the search
// reads as every disc, so such a disc could never be searched on its own), a title of
// blanks only and a title holding a control character (a line break, a tab, an escape). A
// catalogue that already holds such a title keeps working. Said as a message box says it.
std::optional<Notice> TitleRefusal(const std::string& title);

} // namespace orbisk
