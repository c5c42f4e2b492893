#include "text/text_fold.h"
#include "text/unicode_text.h"
#include "text/wildcard_pattern.h"

#include <chrono>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

bool like(const std::string& pattern, const std::string& name) {
    return WildcardPattern(pattern, WildcardPattern::Syntax::Like).matches(name);
}

std::string utf8(char32_t c) {
    std::string text;
    AppendUtf8(text, c);
    return text;
}

bool listing(const std::string& pattern, const std::string& name) {
    return WildcardPattern(pattern, WildcardPattern::Syntax::Listing).matches(name);
}

TEST(LikePattern, WildcardsMatchRunsSingleCharactersAndDigits) {
    EXPECT_TRUE(like("*.txt", "notes.txt"));
    EXPECT_TRUE(like("*.txt", ".txt"));
    EXPECT_FALSE(like("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(like("*report*2003*", "old report of 2003.doc"));
    EXPECT_FALSE(like("*report*2003*", "report 2004"));
    EXPECT_TRUE(like("a?c", "abc"));
    EXPECT_FALSE(like("a?c", "ac"));
    EXPECT_TRUE(like("file#.dat", "file7.dat"));
    EXPECT_FALSE(like("file#.dat", "fileX.dat"));
    EXPECT_TRUE(like("**a**", "banana"));
    EXPECT_TRUE(like("*", ""));
}

TEST(LikePattern, KeyWithoutWildcardsMatchesOnlyTheWholeName) {
    EXPECT_TRUE(like("readme.txt", "README.TXT"));
    EXPECT_FALSE(like("readme", "readme.txt"));
    EXPECT_FALSE(like("readme.txt", "old readme.txt"));
    EXPECT_FALSE(like("", "a"));
    EXPECT_TRUE(like("", ""));
}

TEST(LikePattern, ClassesTakeListsRangesAndNegation) {
    EXPECT_TRUE(like("[abc]1", "b1"));
    EXPECT_FALSE(like("[abc]1", "d1"));
    EXPECT_TRUE(like("[a-c]*", "Cat"));
    EXPECT_TRUE(like("[!a-c]*", "dog"));
    EXPECT_FALSE(like("[!a-c]*", "bat"));
    EXPECT_TRUE(like("[B-a]", "B")) << "B itself lies in the range";
    EXPECT_TRUE(like("[B-a]", "b")) << "B, a case variant of b, lies in the range";
    EXPECT_TRUE(like("[B-a]", "_"));
    EXPECT_FALSE(like("[0-Z]", "_")) << "no case variant of _ lies in the range";
    EXPECT_TRUE(like("[0-Z]", "q"));
    EXPECT_TRUE(like("[!0-Z]", "_"));
    EXPECT_TRUE(like("[Ａ-Ｚ]", "ｑ"));
    EXPECT_TRUE(like("[α-ω]", "Σ"));
    EXPECT_FALSE(like("[z-a]", "m")) << "a reversed range holds nothing";
    EXPECT_TRUE(like("[*]x", "*x"));
    EXPECT_FALSE(like("[*]x", "ax"));
    // An unclosed bracket is an ordinary character.
    EXPECT_TRUE(like("a[b", "a[b"));
}

// A class holds the foldings of the characters of its ranges, and nothing else, whatever
// the ranges span: every character of the plane is tried against the foldings taken one
// by one.
TEST(LikePattern, AClassHoldsExactlyTheFoldingsOfItsRanges) {
    const std::vector<std::pair<char32_t, char32_t>> ranges = {{U'B', U'a'},   {U'ぁ', U'ゖ'},
                                                               {U'Ａ', U'ｚ'}, {U'Ω', U'ω'},
                                                               {U'"', 0xFFFF}, {0x10400, 0x1044F}};
    for (const auto& [low, high] : ranges) {
        std::vector<bool> held(0x110000);
        for (char32_t c = low; c <= high; ++c) {
            held[FoldedCharacter(c)] = true;
        }
        const WildcardPattern pattern("[" + utf8(low) + "-" + utf8(high) + "]",
                                      WildcardPattern::Syntax::Like);
        for (char32_t c = 1; c < 0x30000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                continue;
            }
            std::u32string folded(1, c);
            FoldText(folded);
            if (folded.size() == 1) {
                ASSERT_EQ(pattern.matchesFolded(folded), held[folded[0]])
                    << std::hex << static_cast<std::uint32_t>(c) << " in "
                    << static_cast<std::uint32_t>(low);
            }
        }
    }
}

// However a key is made, reading it takes time in step with its length: many brackets,
// many classes, classes spanning the whole plane each. A bound a user would call a hang,
// not a speed.
TEST(LikePattern, LongKeysOfBracketsAndClassesAreReadInLinearTime) {
    std::string distinct;
    for (char32_t c = 0x4E00; distinct.size() < 130000; ++c) {
        distinct += "[" + utf8(c) + "-\xef\xbf\xbf]";
    }
    std::string plain;
    while (plain.size() < 130000) {
        plain += "[a]";
    }
#ifdef __SANITIZE_ADDRESS__
    const auto bound = std::chrono::seconds(10); // every access checked
#else
    const auto bound = std::chrono::seconds(2);
#endif
    for (const std::string& key : {std::string(130000, '['), plain, distinct}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(like(key, "name.txt"));
        EXPECT_LT(std::chrono::steady_clock::now() - start, bound) << key.substr(0, 12);
    }
}

TEST(LikePattern, LetterCaseIsIgnoredBeyondAscii) {
    EXPECT_TRUE(like("ＡＢＣ.txt", "ａｂｃ.TXT"));
    EXPECT_TRUE(like("É*", "école"));
    EXPECT_TRUE(like("*ПРИВЕТ*", "привет мир"));
    EXPECT_TRUE(like("ΣΟΦΙΑ", "σοφια"));
    EXPECT_FALSE(like("ａ", "b"));
    EXPECT_TRUE(like("写真?.jpg", "写真1.JPG"));
    // Every letter Unicode folds, not only the common scripts.
    EXPECT_TRUE(like("第Ⅱ章*", "第ⅱ章.txt"));
    EXPECT_TRUE(like("ΟΔΟΣ", "οδος")) << "final sigma";
    EXPECT_TRUE(like("ґанок", "Ґанок"));
    EXPECT_TRUE(like("Ạ*", "ạ.txt"));
    EXPECT_TRUE(like("ǆ", "Ǆ"));
    EXPECT_TRUE(like("ǆ", "ǅ"));
    EXPECT_TRUE(like("ⓐⓑ", "ⒶⒷ"));
    EXPECT_FALSE(like("i", "İ")) << "dotted capital I has no simple folding";
}

// The names a Japanese user looks for, written as discs hold them.
TEST(LikePattern, WidthKanaAndComposedFormsMakeNoDifference) {
    EXPECT_TRUE(like("*ハンカク*", "ﾊﾝｶｸ.txt"));
    EXPECT_TRUE(like("*abc*", "ＡＢＣ全角.txt"));
    EXPECT_TRUE(like("*123*", "No.１２３.txt"));
    EXPECT_TRUE(like("*てすと*", "テスト資料.txt"));
    EXPECT_TRUE(like("*ガイド*", "カ\u3099イト\u3099.pdf")) << "decomposed, as a Mac writes it";
    EXPECT_TRUE(like("*ｶﾞｲﾄﾞ*", "がいど.pdf"));
    EXPECT_TRUE(like("ﾊﾟｿｺﾝ", "ぱそこん"));
    EXPECT_TRUE(like("a\u3000b", "A B")) << "the ideographic space is a space";
    // Wildcards on the folded text: "?" is one character as the user sees it.
    EXPECT_TRUE(like("?イド", "ｶﾞｲﾄﾞ"));
    EXPECT_TRUE(like("?", "ｶﾞ"));
    EXPECT_TRUE(like("?", "カ\u3099"));
    EXPECT_FALSE(like("??", "ｶﾞ"));
    EXPECT_TRUE(like("file#", "file７"));
    EXPECT_TRUE(like("[ア-オ]*", "ｱｲｳ.txt"));
    EXPECT_TRUE(like("[ア-オ]*", "あいう.txt"));
    EXPECT_TRUE(like("[あ-お]*", "アイウ.txt"));
    EXPECT_TRUE(like("[!ア-オ]*", "カ.txt"));
    EXPECT_FALSE(like("[!ア-オ]*", "ｱ.txt"));
    EXPECT_TRUE(like("[ｶﾞ]", "が"));
    // Nothing else is folded.
    EXPECT_FALSE(like("1", "①"));
    EXPECT_FALSE(like("(株)", "㈱"));
    EXPECT_FALSE(like("cafe", "café"));
    EXPECT_TRUE(like("café", "cafe\u0301"));
    EXPECT_FALSE(like("カ", "ガ")) << "voiced marks count";
    EXPECT_FALSE(like("ア", "ァ")) << "small kana are other kana";
    EXPECT_TRUE(like("*", "\xff\u3099"));
}

TEST(LikePattern, ApostrophesAndQuotesAreOrdinaryCharacters) {
    EXPECT_TRUE(like("it's*", "it's me.txt"));
    EXPECT_FALSE(like("it's*", "its me.txt"));
    EXPECT_TRUE(like("a' or '1'='1", "A' OR '1'='1"));
    EXPECT_FALSE(like("' or 1=1 --", "anything"));
}

TEST(LikePattern, BytesThatAreNotUtf8MatchOnlyThemselves) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67.txt"; // "テスト" in Shift-JIS
    EXPECT_TRUE(like("*.txt", sjis));
    EXPECT_TRUE(like(sjis, sjis));
    EXPECT_FALSE(like("\x83\x65*", "\x83\x66.txt"));
    EXPECT_EQ(DecodeUtf8(sjis).size(), sjis.size());
}

TEST(ListingPattern, StarDotStarAndEmptyMatchEveryName) {
    EXPECT_TRUE(listing("*.*", "README"));
    EXPECT_TRUE(listing("*.*", ".hidden"));
    EXPECT_TRUE(listing("", "a.b"));
    EXPECT_TRUE(listing("*", "noext"));
    EXPECT_TRUE(listing("*.TXT", "a.txt"));
    EXPECT_FALSE(listing("*.TXT", "a.doc"));
    // Only "*" and "?" are wildcards in a listing.
    EXPECT_TRUE(listing("#1[a].txt", "#1[A].TXT"));
    EXPECT_FALSE(listing("#1.txt", "11.txt"));
}

TEST(UnicodeText, DecodesEveryByte) {
    EXPECT_EQ(DecodeUtf8("ファイル").size(), 4u);
    EXPECT_EQ(DecodeUtf8("\xff\xfe"), (std::u32string{0xDCFF, 0xDCFE}));
    EXPECT_EQ(DecodeUtf8("\xe3\x83"), (std::u32string{0xDCE3, 0xDC83})) << "a cut-off sequence";
}

} // namespace
} // namespace orbisk
