#include "text/display_text.h"

#include "text/unicode_text.h"

#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

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

// The part as code page 932, or false where it holds a byte sequence that page lacks.
bool fromCodePage932(std::string_view part, std::string& out) {
    UConverter* converter = codePage932();
    if (converter == nullptr) {
        return false;
    }
    ucnv_reset(converter);
    std::u16string wide(part.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, wide.data(), static_cast<int32_t>(wide.size()),
                                         part.data(), static_cast<int32_t>(part.size()), &status);
    if (U_FAILURE(status)) {
        return false;
    }
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
    const std::u32string decoded = DecodeUtf8(part);
    bool valid = true;
    for (const char32_t c : decoded) {
        valid = valid && !isEscapedByte(c);
    }
    if (valid) {
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

} // namespace

std::string DisplayText(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '/' || bytes[i] == '\r' || bytes[i] == '\n') {
            appendPart(out, bytes.substr(start, i - start));
            if (i < bytes.size()) {
                out += bytes[i];
            }
            start = i + 1;
        }
    }
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
