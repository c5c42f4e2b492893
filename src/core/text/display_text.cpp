#include "text/display_text.h"

#include "text/unicode_text.h"

#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace orbisk {

namespace {

bool isEscapedByte(char32_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// ICU's converter of code page 932, stopping at the first sequence it cannot convert
// either way; one a thread.
UConverter* codePage932() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* opened = ucnv_open("windows-31j", &status);
        if (U_SUCCESS(status)) {
            ucnv_setToUCallBack(opened, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                                &status);
            ucnv_setFromUCallBack(opened, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                                  &status);
        }
        return std::unique_ptr<UConverter, ConverterCloser>(U_SUCCESS(status) ? opened : nullptr);
    }();
    return converter.get();
}

// The part as code page 932 in UTF-16, or false where it holds a byte sequence that page
// lacks.
bool codePage932ToUtf16(std::string_view part, std::u16string& wide, int32_t& length) {
    UConverter* converter = codePage932();
    if (converter == nullptr) {
        return false;
    }
    ucnv_reset(converter);
    wide.assign(part.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    length = ucnv_toUChars(converter, wide.data(), static_cast<int32_t>(wide.size()), part.data(),
                           static_cast<int32_t>(part.size()), &status);
    return U_SUCCESS(status);
}

// The part as code page 932, or false where it holds a byte sequence that page lacks.
bool fromCodePage932(std::string_view part, std::string& out) {
    std::u16string wide;
    int32_t length = 0;
    if (!codePage932ToUtf16(part, wide, length)) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    int32_t utf8Length = 0;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &utf8Length, wide.data(), length,
                &status);
    if (U_FAILURE(status)) {
        return false;
    }
    out.append(utf8.data(), static_cast<std::size_t>(utf8Length));
    return true;
}

void appendPart(std::string& out, std::string_view part) {
    std::u32string decoded;
    if (DecodeUtf8(part, decoded)) {
        out.append(part);
        return;
    }
    if (fromCodePage932(part, out)) {
        return;
    }
    for (const char32_t c : decoded) {
        AppendUtf8(out, isEscapedByte(c) ? U'\uFFFD' : c);
    }
}

// Calls onPart for each part between "/" and line ends, and onBreak for each of those.
template <class Part, class Break>
void forEachPart(std::string_view bytes, Part onPart, Break onBreak) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '/' || bytes[i] == '\r' || bytes[i] == '\n') {
            onPart(bytes.substr(start, i - start));
            if (i < bytes.size()) {
                onBreak(bytes[i]);
            }
            start = i + 1;
        }
    }
}

void appendShownPart(std::u32string& out, std::string_view part, std::u32string& decoded) {
    if (DecodeUtf8(part, decoded)) {
        out += decoded;
        return;
    }
    std::u16string wide;
    int32_t length = 0;
    if (codePage932ToUtf16(part, wide, length)) {
        for (int32_t i = 0; i < length;) {
            UChar32 c = 0;
            U16_NEXT(wide.data(), i, length, c);
            out.push_back(static_cast<char32_t>(c));
        }
        return;
    }
    out += decoded;
}

} // namespace

void DecodeShown(std::string_view bytes, std::u32string& out) {
    if (DecodeUtf8(bytes, out)) {
        return; // UTF-8 throughout, as nearly every name is
    }
    out.clear();
    std::u32string decoded;
    forEachPart(
        bytes, [&](std::string_view part) { appendShownPart(out, part, decoded); },
        [&out](char c) { out.push_back(static_cast<unsigned char>(c)); });
}

std::string DisplayText(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    forEachPart(
        bytes, [&out](std::string_view part) { appendPart(out, part); },
        [&out](char c) { out += c; });
    return out;
}

std::optional<std::string> ToCodePage932(std::string_view utf8) {
    UConverter* converter = codePage932();
    if (converter == nullptr) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::u16string wide(utf8.size() + 1, u'\0');
    int32_t length = 0;
    u_strFromUTF8(wide.data(), static_cast<int32_t>(wide.size()), &length, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    ucnv_reset(converter);
    std::string bytes(static_cast<std::size_t>(length) * 2 + 1, '\0');
    const int32_t written = ucnv_fromUChars(
        converter, bytes.data(), static_cast<int32_t>(bytes.size()), wide.data(), length, &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(written));
    return bytes;
}

} // namespace orbisk
