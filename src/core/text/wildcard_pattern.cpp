#include "text/wildcard_pattern.h"

#include "text/display_text.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

namespace orbisk {

class WildcardPattern::CharClass {
public:
    // A character of a text, folded, is in the class when the folding of a character in
    // ranges is that character. Looked up through the characters that fold to it, rather
    // than by folding every character of the ranges, so that a class costs the same
    // whatever its ranges span.
    CharClass(std::vector<std::pair<char32_t, char32_t>> ranges, bool negated)
        : negated_(negated), foldings_(CharacterFoldings::all()) {
        std::erase_if(ranges, [](const auto& range) { return range.first > range.second; });
        std::sort(ranges.begin(), ranges.end());
        for (const auto& range : ranges) {
            if (!ranges_.empty() && range.first <= ranges_.back().second + 1) {
                ranges_.back().second = std::max(ranges_.back().second, range.second);
            } else {
                ranges_.push_back(range);
            }
        }
        // The ASCII characters, looked up in a table: those of the ranges that no folding
        // takes away, and those the folding of a character of the ranges gives.
        for (const auto& [low, high] : ranges_) {
            for (char32_t c = low; c <= high && c < ascii_.size(); ++c) {
                ascii_[c] = !foldings_.foldsToAnother(c);
            }
        }
        for (const auto& [folded, original] : foldings_.foldingToAscii()) {
            ascii_[folded] = ascii_[folded] || inRanges(original);
        }
    }

    // c is a folded character.
    bool holds(char32_t c) const {
        const bool in = c < ascii_.size() ? ascii_[c] : contains(c);
        return in != negated_;
    }

private:
    bool inRanges(char32_t c) const {
        const auto after = std::upper_bound(ranges_.begin(), ranges_.end(),
                                            std::pair<char32_t, char32_t>{c, 0x10FFFF + 1});
        return after != ranges_.begin() && std::prev(after)->second >= c;
    }
    bool contains(char32_t c) const {
        if (inRanges(c) && !foldings_.foldsToAnother(c)) {
            return true;
        }
        for (const auto& [folded, original] : foldings_.foldingTo(c)) {
            if (inRanges(original)) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::pair<char32_t, char32_t>> ranges_; // sorted, apart
    bool negated_;
    const CharacterFoldings& foldings_;
    std::array<bool, 128> ascii_{};
};

WildcardPattern::WildcardPattern(std::string_view pattern, Syntax syntax) {
    // The key is read as names are: a key typed in code page 932 means what it shows.
    std::u32string p;
    DecodeShown(pattern, p);
    if (syntax == Syntax::Listing && (p.empty() || p == U"*.*")) {
        everything_ = true;
        return;
    }
    // Ordinary characters are folded a run at a time, as a text is: "ｶﾞ" is one character.
    std::u32string run;
    const auto endRun = [this, &run] {
        FoldText(run);
        for (const char32_t c : run) {
            tokens_.push_back({Token::Kind::Literal, c, nullptr});
        }
        run.clear();
    };
    // Where each "[" would close: the first "]" after it, found in one pass from the end,
    // so that a key of many "[" is read in time in step with its length.
    std::map<std::pair<std::u32string, bool>, std::shared_ptr<const CharClass>> classes;
    std::vector<std::size_t> closing(p.size() + 1, std::u32string::npos);
    for (std::size_t i = p.size(); i-- > 0;) {
        closing[i] = p[i] == U']' ? i : closing[i + 1];
    }
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Token token{Token::Kind::Literal, 0, nullptr};
        if (c == U'*') {
            token.kind = Token::Kind::AnyRun;
        } else if (c == U'?') {
            token.kind = Token::Kind::AnyOne;
        } else if (syntax == Syntax::Like && c == U'#') {
            token.kind = Token::Kind::Digit;
        } else if (syntax == Syntax::Like && c == U'[' && closing[i + 1] != std::u32string::npos) {
            const std::size_t close = closing[i + 1];
            std::size_t k = i + 1;
            token.kind = Token::Kind::Class;
            const bool negated = k < close && p[k] == U'!';
            if (negated) {
                ++k;
            }
            // The class's characters in their normal width and composed, between its "-":
            // "[ｶﾞ-ｺﾞ]" is "[ガ-ゴ]". Letter case and kana type are left to the members'
            // foldings, so that "[B-a]" still runs from "B" to "a".
            std::u32string body;
            for (std::size_t from = k; from <= close;) {
                // Within the class only: a search to the key's end would make a key of
                // many classes cost the square of its length.
                const std::size_t to = static_cast<std::size_t>(
                    std::find(p.begin() + static_cast<std::ptrdiff_t>(from),
                              p.begin() + static_cast<std::ptrdiff_t>(close), U'-') -
                    p.begin());
                std::u32string piece = p.substr(from, to - from);
                UnifyWidthAndForm(piece);
                body += piece;
                if (to < close) {
                    body += U'-';
                }
                from = to + 1;
            }
            std::vector<std::pair<char32_t, char32_t>> ranges;
            for (std::size_t b = 0; b < body.size(); ++b) {
                if (b + 2 < body.size() && body[b + 1] == U'-') {
                    ranges.emplace_back(body[b], body[b + 2]);
                    b += 2;
                } else {
                    ranges.emplace_back(body[b], body[b]);
                }
            }
            // A key may repeat a class many times: each is made once.
            auto& made = classes[{body, negated}];
            if (!made) {
                made = std::make_shared<const CharClass>(std::move(ranges), negated);
            }
            token.members = made;
            i = close;
        } else {
            run += c;
            continue;
        }
        endRun();
        if (token.kind == Token::Kind::AnyRun && !tokens_.empty() &&
            tokens_.back().kind == Token::Kind::AnyRun) {
            continue;
        }
        tokens_.push_back(std::move(token));
    }
    endRun();
    everything_ = tokens_.size() == 1 && tokens_[0].kind == Token::Kind::AnyRun;
    std::size_t begin = 0;
    for (std::size_t k = 0; k <= tokens_.size(); ++k) {
        if (k == tokens_.size() || tokens_[k].kind == Token::Kind::AnyRun) {
            if (k > begin) {
                const Token& first = tokens_[begin];
                segments_.push_back(
                    {begin, k, first.kind == Token::Kind::Literal ? first.literal : 0});
            }
            begin = k + 1;
            anyStar_ = anyStar_ || k < tokens_.size();
        }
    }
    starFirst_ = !tokens_.empty() && tokens_.front().kind == Token::Kind::AnyRun;
    starLast_ = !tokens_.empty() && tokens_.back().kind == Token::Kind::AnyRun;
}

namespace {

inline bool matchesOne(const auto& token, char32_t c) {
    using Kind = std::remove_cvref_t<decltype(token)>::Kind;
    switch (token.kind) {
    case Kind::Literal:
        return token.literal == c;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::Class:
        return token.members->holds(c);
    case Kind::AnyRun:
        break;
    }
    return false;
}

} // namespace

namespace {

// ASCII text read as folded code points, without decoding it first: most file names are
// ASCII, and a scan of a catalogue matches every one of them.
struct FoldedAscii {
    std::string_view text;
    char32_t operator[](std::size_t i) const {
        const auto c = static_cast<unsigned char>(text[i]);
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    }
};

// The first position in [from, limit) whose character is c, or limit.
std::size_t findFolded(const FoldedAscii& text, std::size_t from, std::size_t limit, char32_t c) {
    if (c >= 0x80 || from >= limit) {
        return limit;
    }
    const char* begin = text.text.data();
    const auto* lower =
        static_cast<const char*>(std::memchr(begin + from, static_cast<int>(c), limit - from));
    std::size_t found = lower ? static_cast<std::size_t>(lower - begin) : limit;
    if (c >= 'a' && c <= 'z') {
        const auto* upper = static_cast<const char*>(
            std::memchr(begin + from, static_cast<int>(c - 32), found - from));
        found = upper ? static_cast<std::size_t>(upper - begin) : found;
    }
    return found;
}

std::size_t findFolded(const std::u32string& text, std::size_t from, std::size_t limit,
                       char32_t c) {
    while (from < limit && text[from] != c) {
        ++from;
    }
    return from;
}

} // namespace

template <class Text>
bool WildcardPattern::segmentAt(const Text& text, std::size_t at, const Segment& segment) const {
    for (std::size_t k = segment.begin; k < segment.end; ++k, ++at) {
        if (!matchesOne(tokens_[k], text[at])) {
            return false;
        }
    }
    return true;
}

// Every token but "*" takes exactly one character, so the runs between stars have fixed
// lengths: the first run is pinned to the start, the last to the end, and each run in
// between is best placed at its leftmost fit. No backtracking is needed.
template <class Text>
bool WildcardPattern::matchesFolded(const Text& text, std::size_t size) const {
    if (!anyStar_) {
        return segments_.empty() ? size == 0
                                 : size == segments_[0].size() && segmentAt(text, 0, segments_[0]);
    }
    std::size_t from = 0;
    std::size_t limit = size;
    std::size_t first = 0;
    std::size_t last = segments_.size();
    if (!starFirst_) {
        if (segments_[0].size() > size || !segmentAt(text, 0, segments_[0])) {
            return false;
        }
        from = segments_[0].size();
        first = 1;
    }
    if (!starLast_) {
        const Segment& end = segments_.back();
        if (end.size() > size - from || !segmentAt(text, size - end.size(), end)) {
            return false;
        }
        limit = size - end.size();
        --last;
    }
    for (std::size_t i = first; i < last; ++i) {
        const Segment& segment = segments_[i];
        bool found = false;
        const std::size_t lastStart = limit - segment.size() + 1;
        for (; from + segment.size() <= limit; ++from) {
            if (segment.firstLiteral != 0) {
                from = findFolded(text, from, lastStart, segment.firstLiteral);
                if (from == lastStart) {
                    break;
                }
            }
            if (segmentAt(text, from, segment)) {
                found = true;
                break;
            }
        }
        if (!found) {
            return false;
        }
        from += segment.size();
    }
    return true;
}

std::vector<std::u32string> WildcardPattern::literalRuns() const {
    std::vector<std::u32string> runs(1);
    for (const Token& token : tokens_) {
        if (token.kind == Token::Kind::Literal) {
            runs.back() += token.literal;
        } else if (!runs.back().empty()) {
            runs.emplace_back();
        }
    }
    if (runs.back().empty()) {
        runs.pop_back();
    }
    return runs;
}

bool WildcardPattern::matchesFolded(const std::u32string& folded) const {
    return everything_ || matchesFolded(folded, folded.size());
}

bool WildcardPattern::matches(std::string_view text) const {
    if (everything_) {
        return true;
    }
    if (IsAscii(text)) {
        return matchesFolded(FoldedAscii{text}, text.size());
    }
    thread_local std::u32string folded;
    DecodeShown(text, folded);
    FoldText(folded);
    return matchesFolded(folded, folded.size());
}

} // namespace orbisk
