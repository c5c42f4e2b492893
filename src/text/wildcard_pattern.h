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

private:
    struct Token {
        enum class Kind { Literal, AnyOne, Digit, Class, AnyRun } kind;
        char32_t literal = 0;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
    };

    // A run of tokens between two "*", each token taking exactly one character.
    struct Segment {
        std::size_t begin;
        std::size_t end;
        char32_t firstLiteral; // 0 when the run does not start with an ordinary character
        std::size_t size() const { return end - begin; }
    };

    template <class Text>
    bool segmentAt(const Text& text, std::size_t at, const Segment& segment) const;
    template <class Text> bool matchesFolded(const Text& text, std::size_t size) const;

    std::vector<Token> tokens_;
    std::vector<Segment> segments_;
    bool starFirst_ = false;
    bool starLast_ = false;
    bool anyStar_ = false;
    bool everything_ = false;
};

} // namespace orbisk
