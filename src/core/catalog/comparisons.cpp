#include "catalog/comparisons.h"

#include "sqlite/function_arguments.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"
#include "text/wildcard_pattern.h"

#include <string_view>

namespace orbisk {

namespace {

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
            pattern = new WildcardPattern(sqlite::ArgumentText(arguments[0]),
                                          WildcardPattern::Syntax::Like);
        } catch (...) {
            sqlite3_result_error_nomem(context);
            return;
        }
        sqlite3_set_auxdata(context, 0, pattern,
                            [](void* p) { delete static_cast<WildcardPattern*>(p); });
        // SQLite may have dropped it at once; then ask again next row.
        pattern = static_cast<WildcardPattern*>(sqlite3_get_auxdata(context, 0));
        if (pattern == nullptr) {
            WildcardPattern once(sqlite::ArgumentText(arguments[0]), WildcardPattern::Syntax::Like);
            sqlite3_result_int(context, once.matches(sqlite::ArgumentText(arguments[1])) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(context, pattern->matches(sqlite::ArgumentText(arguments[1])) ? 1 : 0);
}

char32_t foldedAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

// Orders two texts by their folded characters. Titles are short and mostly ASCII, which is
// compared byte by byte; the rest is decoded and folded whole (a mark may join the
// character before it).
int compareFolded(void*, int sizeA, const void* a, int sizeB, const void* b) {
    const std::string_view x(static_cast<const char*>(a), static_cast<std::size_t>(sizeA));
    const std::string_view y(static_cast<const char*>(b), static_cast<std::size_t>(sizeB));
    if (IsAscii(x) && IsAscii(y)) {
        for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
            const char32_t cx = foldedAscii(static_cast<unsigned char>(x[i]));
            const char32_t cy = foldedAscii(static_cast<unsigned char>(y[i]));
            if (cx != cy) {
                return cx < cy ? -1 : 1;
            }
        }
        return x.size() < y.size() ? -1 : x.size() == y.size() ? 0 : 1;
    }
    const std::u32string foldedX = FoldedText(x);
    const std::u32string foldedY = FoldedText(y);
    return foldedX.compare(foldedY) < 0 ? -1 : foldedX == foldedY ? 0 : 1;
}

} // namespace

void RegisterComparisons(sqlite3* db) {
    sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                               nullptr, like, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, "FOLDED", SQLITE_UTF8, nullptr, compareFolded, nullptr);
}

} // namespace orbisk
