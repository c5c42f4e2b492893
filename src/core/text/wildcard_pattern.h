#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// A file-name pattern, text compared by the catalogue's rule (text_fold.h): letter case,
// width, kana type and composed forms make no difference, on the folded text. Names and
// the pattern are read as they are shown (DecodeShown): a name from an old Japanese disc in
// code page 932 is matched as its text.
//  - Like: the catalogue's LIKE: "*" any run, "?" one character as the user sees it ("ｶﾞ"
//    is one, like "ガ"), "#" one digit (full-width ones too), "[abc]", "[a-z]" and
//    "[!abc]" classes. An unclosed "[" is an ordinary character. A character is in a class
//    when one of its foldings is ("[B-a]" holds "B", "[0-Z]" does not hold "_", "[ア-オ]"
//    holds "ｱ" and "あ").
//  - Listing: the directory listing's wildcards: only "*" and "?"; "*.*" and the empty
//    pattern match every name, with or without a dot.
class WildcardPattern {
public:
    enum class Syntax { Like, Listing };

    WildcardPattern(std::string_view pattern, Syntax syntax);

    bool matches(std::string_view text) const;

    // The runs of ordinary characters between wildcards and classes, folded as the
    // matcher folds text: a name that matches holds each of them, folded. Bytes of a key
    // that decodes in no way (DecodeShown) appear as U+DC00 + byte.
    std::vector<std::u32string> literalRuns() const;
    // Whether folded text (as FoldedText gives it) matches.
    bool matchesFolded(const std::u32string& folded) const;

private:
    // The characters of a bracket class, with every case variant of each, so that a
    // folded character is looked up as it stands.
    class CharClass;

    struct Token {
        enum class Kind { Literal, AnyOne, Digit, Class, AnyRun } kind;
        char32_t literal = 0;
        std::shared_ptr<const CharClass> members; // Class only
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
