#include "text/wildcard_pattern.h"

#include "text/unicode_text.h"

namespace orbisk {

WildcardPattern::WildcardPattern(std::string_view pattern, Syntax syntax) {
    const std::u32string p = decodeUtf8(pattern);
    if (syntax == Syntax::Listing && (p.empty() || p == U"*.*")) {
        everything_ = true;
        return;
    }
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Token token{Token::Kind::Literal, foldCase(c), false, {}};
        if (c == U'*') {
            token.kind = Token::Kind::AnyRun;
            if (!tokens_.empty() && tokens_.back().kind == Token::Kind::AnyRun) {
                continue;
            }
        } else if (c == U'?') {
            token.kind = Token::Kind::AnyOne;
        } else if (syntax == Syntax::Like && c == U'#') {
            token.kind = Token::Kind::Digit;
        } else if (syntax == Syntax::Like && c == U'[') {
            const std::size_t close = p.find(U']', i + 1);
            if (close != std::u32string::npos) {
                std::size_t k = i + 1;
                token.kind = Token::Kind::Class;
                if (k < close && p[k] == U'!') {
                    token.negated = true;
                    ++k;
                }
                for (; k < close; ++k) {
                    if (k + 2 < close && p[k + 1] == U'-') {
                        token.ranges.emplace_back(p[k], p[k + 2]);
                        k += 2;
                    } else {
                        token.ranges.emplace_back(p[k], p[k]);
                    }
                }
                i = close;
            }
        }
        tokens_.push_back(std::move(token));
    }
    everything_ = tokens_.size() == 1 && tokens_[0].kind == Token::Kind::AnyRun;
}

bool WildcardPattern::matchesOne(const Token& token, char32_t c) const {
    switch (token.kind) {
    case Token::Kind::Literal:
        return token.literal == c;
    case Token::Kind::AnyOne:
        return true;
    case Token::Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Token::Kind::Class: {
        bool inside = false;
        for (const auto& [low, high] : token.ranges) {
            // A class range is compared both as written and folded, so [A-Z] takes "q".
            if ((c >= low && c <= high) || (c >= foldCase(low) && c <= foldCase(high))) {
                inside = true;
                break;
            }
        }
        return inside != token.negated;
    }
    case Token::Kind::AnyRun:
        break;
    }
    return false;
}

// Every token but "*" takes exactly one character, so remembering the last "*" is enough
// to backtrack: a later "*" can always absorb what an earlier one would have.
bool WildcardPattern::matchesFolded(const std::u32string& text) const {
    std::size_t t = 0;
    std::size_t k = 0;
    std::size_t starToken = std::string::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (k < tokens_.size() && tokens_[k].kind == Token::Kind::AnyRun) {
            starToken = k++;
            starText = t;
        } else if (k < tokens_.size() && matchesOne(tokens_[k], text[t])) {
            ++k;
            ++t;
        } else if (starToken != std::string::npos) {
            k = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (k < tokens_.size() && tokens_[k].kind == Token::Kind::AnyRun) {
        ++k;
    }
    return k == tokens_.size();
}

bool WildcardPattern::matches(std::string_view text) const {
    if (everything_) {
        return true;
    }
    thread_local std::u32string folded;
    decodeUtf8(text, folded);
    for (char32_t& c : folded) {
        c = foldCase(c);
    }
    return matchesFolded(folded);
}

} // namespace orbisk
