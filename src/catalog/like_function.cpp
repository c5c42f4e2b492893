#include "catalog/like_function.h"

#include "text/wildcard_pattern.h"

#include <sqlite3.h>
#include <string_view>

namespace orbisk {

namespace {

std::string_view argumentText(sqlite3_value* value) {
    const auto* text = sqlite3_value_text(value);
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text),
                                              static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

// like(pattern, text), as SQLite calls it for "text like pattern". The compiled pattern
// is kept with the statement, so a scan compiles it once.
void like(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto* pattern = static_cast<WildcardPattern*>(sqlite3_get_auxdata(context, 0));
    if (pattern == nullptr) {
        try {
            pattern =
                new WildcardPattern(argumentText(arguments[0]), WildcardPattern::Syntax::Like);
        } catch (...) {
            sqlite3_result_error_nomem(context);
            return;
        }
        sqlite3_set_auxdata(context, 0, pattern,
                            [](void* p) { delete static_cast<WildcardPattern*>(p); });
        // SQLite may have dropped it at once; then ask again next row.
        pattern = static_cast<WildcardPattern*>(sqlite3_get_auxdata(context, 0));
        if (pattern == nullptr) {
            WildcardPattern once(argumentText(arguments[0]), WildcardPattern::Syntax::Like);
            sqlite3_result_int(context, once.matches(argumentText(arguments[1])) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(context, pattern->matches(argumentText(arguments[1])) ? 1 : 0);
}

} // namespace

void registerLikeFunction(sqlite3* db) {
    sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                               nullptr, like, nullptr, nullptr, nullptr);
}

} // namespace orbisk
