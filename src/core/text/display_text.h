#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// Text to show on screen for bytes that may not be UTF-8, such as names from old discs.
// Each part between "/" and line ends is taken as UTF-8 where it is valid, else as the
// Japanese code page 932 where it is valid there (old Japanese discs), else with every
// byte that is not UTF-8 shown as U+FFFD. The bytes themselves are never changed; this is
// for showing only.
std::string DisplayText(std::string_view bytes);

// The same text as code points, for comparing what the user sees: each part decoded as
// DisplayText decodes it, except that a part that decodes neither way keeps its bytes
// that are not UTF-8 as the escaped bytes of DecodeUtf8 (U+DC80 to U+DCFF), so that it
// matches nothing but those bytes.
void DecodeShown(std::string_view bytes, std::u32string& out);

// UTF-8 text in the Japanese code page 932, as an old Japanese system wrote it; nothing
// where the page lacks one of its characters.
std::optional<std::string> ToCodePage932(std::string_view utf8);

} // namespace orbisk
