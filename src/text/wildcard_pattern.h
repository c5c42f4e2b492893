#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orbisk {

// A file-name pattern, letter case ignored.
//  - Like: the catalogue's LIKE: "*" any run, "?" one character, "#" one digit,
//    "[abc]", "[a-z]" and "[!abc]" classes. An unclosed "[" is an ordinary character.
//  - Listing: the directory listing's wildcards: only "*" and "?"; "*.*" and the empty
//    pattern match every name, with or without a dot.
class WildcardPattern {
public:
    enum class Syntax { Like, Listing };

    WildcardPattern(std::string_view pattern, Syntax syntax);

    bool matches(std::string_view text) const;
    bool matchesEverything() const { return everything_; }

private:
    struct Token {
        enum class Kind { Literal, AnyOne, Digit, Class, AnyRun } kind;
        char32_t literal = 0;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
    };

    bool matchesOne(const Token& token, char32_t c) const;
    bool matchesFolded(const std::u32string& text) const;

    std::vector<Token> tokens_;
    bool everything_ = false;
};

} // namespace orbisk
