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
    for (const char32_t c : DecodeUtf8(title)) {
        blank = blank && u_isUWhiteSpace(static_cast<UChar32>(c));
    }
    if (blank) {
        return TitleRefusalText{"空白だけのタイトルは使えません。文字を入力して下さい。",
                                "タイトルの誤り"};
    }
    return std::nullopt;
}

} // namespace orbisk
