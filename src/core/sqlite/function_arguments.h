#pragma once

#include <sqlite3.h>
#include <string_view>

namespace orbisk::sqlite {

// A text argument of a function the catalogue gives SQLite, its bytes as SQLite holds them
// (NULL as the empty text); valid until the function returns.
inline std::string_view ArgumentText(sqlite3_value* value) {
    const auto* text = sqlite3_value_text(value);
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text),
                                              static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

} // namespace orbisk::sqlite
