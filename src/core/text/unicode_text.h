#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// Decodes UTF-8 into code points. A byte that does not begin a valid sequence becomes
// U+DC00 + byte, so text that is not UTF-8 (file names from old discs) still decodes
// losslessly and only ever matches itself.
// The second form says whether text was UTF-8 throughout.
std::u32string DecodeUtf8(std::string_view text);
bool DecodeUtf8(std::string_view text, std::u32string& out);

// Whether every byte of text is ASCII, which most names on discs are: they are then
// compared and folded without decoding.
bool IsAscii(std::string_view text);

// Appends the UTF-8 of code point c.
void AppendUtf8(std::string& out, char32_t c);

} // namespace orbisk
