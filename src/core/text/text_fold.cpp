#include "text/text_fold.h"

#include "text/display_text.h"
#include "text/unicode_text.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <memory>
#include <stdexcept>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uset.h>
#include <vector>

namespace orbisk {

namespace {

// What ICU says of every character of the Basic Multilingual Plane, looked up once, so that
// a scan of a catalogue folds a character with two lookups. Characters beyond it ask ICU.
class FoldTables {
public:
    FoldTables() {
        UErrorCode status = U_ZERO_ERROR;
        nfc_ = icu::Normalizer2::getNFCInstance(status);
        const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
        std::unique_ptr<icu::Transliterator> kana(
            icu::Transliterator::createInstance("Hiragana-Katakana", UTRANS_FORWARD, status));
        if (U_FAILURE(status)) {
            throw std::runtime_error(std::string("ICU: ") + u_errorName(status));
        }
        for (char32_t c = 0; c < width_.size(); ++c) {
            width_[c] = c;
            casedKana_[c] = c;
        }
        // Width: the compatibility mapping of the Halfwidth and Fullwidth Forms and of the
        // ideographic space, where it is one character (a half-width voiced mark gives the
        // combining mark, which composition then joins to its kana).
        for (char32_t c : widthForms()) {
            icu::UnicodeString mapped;
            if (nfkc->getDecomposition(static_cast<UChar32>(c), mapped) &&
                mapped.countChar32() == 1) {
                width_[c] = static_cast<char32_t>(mapped.char32At(0));
            }
        }
        for (char32_t c = 0; c < width_.size(); ++c) {
            const auto check =
                u_getIntPropertyValue(static_cast<UChar32>(width_[c]), UCHAR_NFC_QUICK_CHECK);
            composes_[c] = check != UNORM_YES;
        }
        // Letter case, then kana type: a hiragana is the katakana ICU transliterates it to,
        // where that is one character.
        for (char32_t c = 0x80; c < casedKana_.size(); ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                continue; // surrogates, and the escaped bytes among them, stay
            }
            casedKana_[c] =
                static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
        }
        for (char32_t c = 'A'; c <= 'Z'; ++c) {
            casedKana_[c] = c + 32;
        }
        for (char32_t c = 0x3041; c <= 0x309F; ++c) {
            icu::UnicodeString text(static_cast<UChar32>(c));
            kana->transliterate(text);
            if (text.countChar32() == 1) {
                casedKana_[c] = static_cast<char32_t>(text.char32At(0));
            }
        }
    }

    char32_t width(char32_t c) const { return c < width_.size() ? width_[c] : c; }
    bool composes(char32_t c) const {
        return c < composes_.size() ? composes_[c]
                                    : u_getIntPropertyValue(static_cast<UChar32>(c),
                                                            UCHAR_NFC_QUICK_CHECK) != UNORM_YES;
    }
    char32_t casedKana(char32_t c) const {
        return c < casedKana_.size() ? casedKana_[c]
                                     : static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c),
                                                                        U_FOLD_CASE_DEFAULT));
    }
    const icu::Normalizer2& nfc() const { return *nfc_; }

private:
    static std::vector<char32_t> widthForms() {
        std::vector<char32_t> forms{0x3000};
        for (char32_t c = 0xFF00; c <= 0xFFEF; ++c) {
            forms.push_back(c);
        }
        return forms;
    }

    std::array<char32_t, 0x10000> width_{};
    std::array<char32_t, 0x10000> casedKana_{};
    std::bitset<0x10000> composes_;
    const icu::Normalizer2* nfc_ = nullptr;
};

const FoldTables& tables() {
    static const FoldTables built;
    return built;
}

// Composes the text canonically. Escaped bytes pass through as the lone surrogates they
// are, which composition leaves alone.
void compose(std::u32string& text, const FoldTables& t) {
    icu::UnicodeString wide;
    for (const char32_t c : text) {
        if (c >= 0xDC80 && c <= 0xDCFF) {
            wide.append(static_cast<char16_t>(c));
        } else {
            wide.append(static_cast<UChar32>(c));
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString composed = t.nfc().normalize(wide, status);
    if (U_FAILURE(status)) {
        return;
    }
    text.clear();
    for (int32_t i = 0; i < composed.length();) {
        const UChar32 c = composed.char32At(i);
        text.push_back(static_cast<char32_t>(c));
        i += U16_LENGTH(c);
    }
}

} // namespace

void UnifyWidthAndForm(std::u32string& text) {
    const FoldTables& t = tables();
    bool composes = false;
    for (char32_t& c : text) {
        c = t.width(c);
        composes = composes || t.composes(c);
    }
    if (composes) {
        compose(text, t);
    }
}

void FoldText(std::u32string& text) {
    UnifyWidthAndForm(text);
    const FoldTables& t = tables();
    for (char32_t& c : text) {
        c = t.casedKana(c);
    }
}

std::u32string FoldedText(std::string_view utf8) {
    if (IsAscii(utf8)) {
        std::u32string folded(utf8.size(), U'\0');
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            folded[i] = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        }
        return folded;
    }
    std::u32string folded;
    DecodeShown(utf8, folded);
    FoldText(folded);
    return folded;
}

char32_t FoldedCharacter(char32_t c) {
    const FoldTables& t = tables();
    const char32_t wide = t.width(c);
    if (!t.composes(wide)) {
        return t.casedKana(wide);
    }
    std::u32string one(1, wide);
    FoldText(one);
    return one.size() == 1 ? one[0] : t.casedKana(wide);
}

} // namespace orbisk

namespace orbisk {

namespace {

// Every character whose folding standing alone is another character, paired with it.
std::vector<std::pair<char32_t, char32_t>> foldedToOthers() {
    std::vector<std::pair<char32_t, char32_t>> pairs;
    const auto note = [&pairs](char32_t c) {
        const char32_t folded = FoldedCharacter(c);
        if (folded != c) {
            pairs.emplace_back(c, folded);
        }
    };
    for (char32_t c = 0; c < 0x10000; ++c) {
        note(c);
    }
    // Beyond the Basic Multilingual Plane only letter case and composition change a
    // character: ICU names the characters either can change.
    UErrorCode status = U_ZERO_ERROR;
    const std::u16string pattern =
        u"[[:Changes_When_Casefolded:][:NFC_Quick_Check=No:][:NFC_Quick_Check=Maybe:]]";
    USet* changing =
        uset_openPattern(pattern.c_str(), static_cast<int32_t>(pattern.size()), &status);
    if (U_SUCCESS(status)) {
        const int32_t count = uset_getItemCount(changing);
        for (int32_t item = 0; item < count; ++item) {
            UChar32 start = 0;
            UChar32 end = 0;
            UErrorCode itemStatus = U_ZERO_ERROR;
            if (uset_getItem(changing, item, &start, &end, nullptr, 0, &itemStatus) != 0) {
                continue;
            }
            for (UChar32 c = std::max<UChar32>(start, 0x10000); c <= end; ++c) {
                note(static_cast<char32_t>(c));
            }
        }
    }
    uset_close(changing);
    return pairs;
}

} // namespace

const CharacterFoldings& CharacterFoldings::all() {
    static const CharacterFoldings built = [] {
        CharacterFoldings foldings;
        foldings.byCharacter_ = foldedToOthers();
        foldings.byFolding_.reserve(foldings.byCharacter_.size());
        for (const auto& [c, folded] : foldings.byCharacter_) {
            foldings.byFolding_.emplace_back(folded, c);
        }
        std::sort(foldings.byFolding_.begin(), foldings.byFolding_.end());
        return foldings;
    }();
    return built;
}

bool CharacterFoldings::foldsToAnother(char32_t c) const {
    const auto at = std::lower_bound(byCharacter_.begin(), byCharacter_.end(),
                                     std::pair<char32_t, char32_t>{c, 0});
    return at != byCharacter_.end() && at->first == c;
}

std::span<const std::pair<char32_t, char32_t>> CharacterFoldings::foldingToAscii() const {
    // Sorted by folding: the ASCII ones come first.
    const auto end = std::lower_bound(byFolding_.begin(), byFolding_.end(),
                                      std::pair<char32_t, char32_t>{0x80, 0});
    return {byFolding_.begin(), end};
}

std::span<const std::pair<char32_t, char32_t>> CharacterFoldings::foldingTo(char32_t folded) const {
    const auto from = std::lower_bound(byFolding_.begin(), byFolding_.end(),
                                       std::pair<char32_t, char32_t>{folded, 0});
    auto to = from;
    while (to != byFolding_.end() && to->first == folded) {
        ++to;
    }
    return {from, to};
}

} // namespace orbisk
