#include "text/text_fold.h"
#include "text/wildcard_pattern.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <unicode/coll.h>
#include <vector>

namespace orbisk {
namespace {

bool sameByTheRule(const std::string& a, const std::string& b) {
    return WildcardPattern(a, WildcardPattern::Syntax::Like).matches(b);
}

// ICU's Japanese collator at secondary strength is the independent judge: that strength
// sets aside the differences of the third and fourth level, which in the Japanese
// tailoring are letter case, width and kana type, and keeps those of the first two,
// which are the letters themselves, their accents and the voiced and semi-voiced marks.
// So does the rule; it differs on purpose only where the collator goes further (small
// kana, circled and parenthesised forms), which the alphabet below leaves out and the
// second test names. The prolonged sound mark is left out too: the tailoring weighs it by
// the vowel before it, and its half-width form not quite alike.
class Collator {
public:
    Collator() {
        UErrorCode status = U_ZERO_ERROR;
        collator_.reset(icu::Collator::createInstance(icu::Locale("ja"), status));
        EXPECT_TRUE(U_SUCCESS(status));
        collator_->setStrength(icu::Collator::SECONDARY);
    }
    bool same(const std::string& a, const std::string& b) const {
        UErrorCode status = U_ZERO_ERROR;
        return collator_->compareUTF8(a, b, status) == UCOL_EQUAL;
    }

private:
    std::unique_ptr<icu::Collator> collator_;
};

TEST(TextFold, AgreesWithTheJapaneseCollatorAtSecondaryStrength) {
    // Each unit: one character as a user sees it, in every way a disc may spell it.
    const std::vector<std::vector<std::string>> units = {
        {"a", "A", "ａ", "Ａ"},
        {"b", "B", "ｂ", "Ｂ"},
        {"e", "E", "ｅ", "Ｅ"},
        {"é", "É", "e\u0301", "E\u0301"},
        {"1", "１"},
        {"7", "７"},
        {" ", "\u3000"},
        {".", "．"},
        {"か", "カ", "ｶ"},
        {"が", "ガ", "ｶﾞ", "か\u3099", "カ\u3099"},
        {"は", "ハ", "ﾊ"},
        {"ぱ", "パ", "ﾊﾟ", "は\u309A"},
        {"て", "テ", "ﾃ"},
        {"す", "ス", "ｽ"},
        {"と", "ト", "ﾄ"},
        {"ど", "ド", "ﾄﾞ", "と\u3099"},
        {"写"},
        {"真"},
    };
    const Collator collator;
    std::mt19937 random(20261208);
    const auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int agreed = 0;
    int equalPairs = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string key;
        std::string name;
        const std::size_t length = 1 + pick(6);
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t unit = pick(units.size());
            key += units[unit][pick(units[unit].size())];
            // Now and then another character in the name.
            const std::size_t other = pick(8) == 0 ? pick(units.size()) : unit;
            name += units[other][pick(units[other].size())];
        }
        const bool rule = sameByTheRule(key, name);
        EXPECT_EQ(rule, collator.same(key, name)) << key << " | " << name;
        agreed += rule == collator.same(key, name) ? 1 : 0;
        equalPairs += rule ? 1 : 0;
    }
    EXPECT_EQ(agreed, 5000);
    EXPECT_GT(equalPairs, 1000) << "the pairs test equality, not only difference";
}

TEST(TextFold, GoesNoFurtherThanCaseWidthKanaAndComposition) {
    const Collator collator;
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"ア", "ァ"}, {"1", "①"}, {"a", "ª"}, {"2", "²"}}) {
        EXPECT_FALSE(sameByTheRule(a, b)) << a << " " << b;
        EXPECT_TRUE(collator.same(a, b)) << "the collator folds " << a << " and " << b;
    }
    EXPECT_FALSE(sameByTheRule("(株)", "㈱"));
    EXPECT_FALSE(sameByTheRule("ヨリ", "ゟ"));
}

TEST(TextFold, FoldsOnceAndKeepsBytesThatDecodeNowhere) {
    EXPECT_EQ(FoldedText("ﾃｽﾄ"), U"テスト");
    EXPECT_EQ(FoldedText("てすと"), U"テスト");
    EXPECT_EQ(FoldedText("Ｔｅｓｔ"), U"test");
    EXPECT_EQ(FoldedText("ｶﾞ"), U"ガ");
    EXPECT_EQ(FoldedText("\x83\x65"), U"テ") << "code page 932, read as it is shown";
    EXPECT_EQ(FoldedText("\xff\x65"), (std::u32string{0xDCFF, 0x65}));
    std::u32string twice = FoldedText("ﾊﾟｿｺﾝ ＡＢＣ");
    const std::u32string once = twice;
    FoldText(twice);
    EXPECT_EQ(twice, once) << "folding a folded text changes nothing";
    EXPECT_EQ(FoldedCharacter(U'ｱ'), U'ア');
    EXPECT_EQ(FoldedCharacter(U'ぁ'), U'ァ');
}

} // namespace
} // namespace orbisk
