#include "catalog/title_rules.h"

#include "catalog/title_list.h"
#include "text/unicode_text.h"

#include <unicode/uchar.h>

namespace orbisk {

std::optional<TitleRefusalText> TitleRefusal(const std::string& title) {
    constexpr const char* NoTitle = "タイトル未入力";
    if (title.empty()) {
        return TitleRefusalText{"メディアのタイトルを入力して下さい。", NoTitle};
    }
    if (title == AllTitles) {
        return TitleRefusalText{"「ALL」はすべてのタイトルを表すため、ディスクのタイトルには"
                                "使えません。",
                                "タイトルの誤り"};
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
        return TitleRefusalText{"タイトルに改行やタブなどの制御文字は使えません。",
                                "タイトルの誤り"};
    }
    if (blank) {
        return TitleRefusalText{"空白だけのタイトルは使えません。文字を入力して下さい。",
                                "タイトルの誤り"};
    }
    return std::nullopt;
}

} // namespace orbisk
