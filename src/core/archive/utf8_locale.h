#pragma once

#include <clocale>
#include <locale.h>

namespace orbisk {

// libarchive gives names in the thread's locale: held alive, this makes it UTF-8 for the
// calling thread alone, whatever the user's locale, so names come as they are kept (and an
// LZH's as code page 932, which the readers turn back).
class Utf8Locale {
public:
    Utf8Locale() : utf8_(newlocale(LC_ALL_MASK, "C.UTF-8", nullptr)) {
        if (utf8_ != nullptr) {
            previous_ = uselocale(utf8_);
        }
    }
    ~Utf8Locale() {
        if (utf8_ != nullptr) {
            uselocale(previous_);
            freelocale(utf8_);
        }
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t utf8_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

} // namespace orbisk
