#pragma once

#include <string>

namespace orbisk::testing {

// True when text holds a kana, a kanji or a full-width sign: Japanese, which an English
// text must never hold but in the names it quotes.
bool HasJapanese(const std::string& text);

} // namespace orbisk::testing
