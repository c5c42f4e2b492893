#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orbisk {

// The catalogue's one rule for comparing text, as the old catalogue engine compared it in a
// Japanese database: letter case (Unicode's simple case folding), character width (the
// Halfwidth and Fullwidth Forms and the ideographic space: "Ａ" is "A", "ｶﾞ" is "ガ"), kana
// type (hiragana is katakana) and composed or decomposed forms ("カ" + U+3099 is "ガ") make
// no difference; nothing else is folded: "①" stays "①", "㈱" stays "㈱", "é" is not "e".
// Two texts compare equal when their foldings are equal; ICU does every step.
//
// Folds decoded text in place. Escaped bytes (U+DC80..U+DCFF from DecodeUtf8) stay as they
// are, so a name that decodes in no way the program knows only ever matches itself.
void FoldText(std::u32string& text);

// Only the width and the composed form of decoded text, in place: the characters a
// user sees, each as one code point where composition allows, in its normal width.
void UnifyWidthAndForm(std::u32string& text);

// Decodes text as it is shown (DecodeShown: UTF-8, else code page 932, else its bytes)
// and folds it. ASCII is folded without ICU.
std::u32string FoldedText(std::string_view utf8);

// The folding of one character standing alone: what a bracket class holds of it.
char32_t FoldedCharacter(char32_t c);

// The characters that FoldedCharacter turns into others, looked up both ways: what a
// bracket class needs to hold the foldings of its ranges without folding each character
// of them. Made once, when first asked for.
class CharacterFoldings {
public:
    static const CharacterFoldings& all();
    // Whether c folds to another character.
    bool foldsToAnother(char32_t c) const;
    // The characters that fold to folded (other than itself), each as (folded, character).
    std::span<const std::pair<char32_t, char32_t>> foldingTo(char32_t folded) const;
    // Those that fold to an ASCII character, each as (folded, character).
    std::span<const std::pair<char32_t, char32_t>> foldingToAscii() const;

private:
    std::vector<std::pair<char32_t, char32_t>> byCharacter_; // (character, folding)
    std::vector<std::pair<char32_t, char32_t>> byFolding_;   // (folding, character)
};

// Whether the rule has changed since a name index was built with it.
inline constexpr int FoldRuleVersion = 3;

} // namespace orbisk
