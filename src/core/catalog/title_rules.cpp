#include "catalog/title_rules.h"

#include "catalog/title_list.h"
#include "text/unicode_text.h"

#include <unicode/uchar.h>

namespace orbisk {

std::optional<Notice> TitleRefusal(const std::string& title) {
    const auto refused = [](MessageId title, MessageId why) { return Notice{title, {{why, {}}}}; };
    if (title.empty()) {
        return refused(MessageId::NoTitleTitle, MessageId::EnterTitle);
    }
    if (title == AllTitles) {
        return refused(MessageId::WrongTitleTitle, MessageId::AllIsNoTitle);
    }
    bool blank = true;
    bool control = false;
    for (const char32_t c : DecodeUtf8(title)) {
        blank = blank && u_isUWhiteSpace(static_cast<UChar32>(c));
        control = control || u_charType(static_cast<UChar32>(c)) == U_CONTROL_CHAR;
    }
    // A line break or a tab would split the title in every list of lines it is written
    // to; an escape would command the terminal it is shown on.
    if (control) {
        return refused(MessageId::WrongTitleTitle, MessageId::TitleHasControl);
    }
    if (blank) {
        return refused(MessageId::WrongTitleTitle, MessageId::BlankTitle);
    }
    return std::nullopt;
}

} // namespace orbisk
