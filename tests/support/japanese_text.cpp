#include "support/japanese_text.h"

#include <regex>

namespace orbisk::testing {

bool HasJapanese(const std::string& text) {
    static const std::regex japanese("\xE3[\x80-\x83][\x80-\xBF]|[\xE4-\xE9][\x80-\xBF]{2}|"
                                     "\xEF\xBC[\x81-\xBF]");
    return std::regex_search(text, japanese);
}

} // namespace orbisk::testing
