#include "search/name_index.h"

#include "catalog/catalog.h"
#include "search/catalog_search.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"
#include "text/wildcard_pattern.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <sqlite3.h>

namespace orbisk {

namespace {

// Rows indexed between two commits: a build that is stopped or killed keeps what it did.
constexpr std::int64_t BatchRows = 50000;

// Rollback journal: a search reading the index never writes to it, so the index file's
// own look on disk tells whether anything changed it.
constexpr const char* Schema =
    "PRAGMA journal_mode = DELETE;"
    "Create Virtual Table If Not Exists names Using fts5(name, "
    "tokenize = 'trigram case_sensitive 1', detail = none, content = '');"
    "Create Table If Not Exists state (key Text Primary Key, value Text) Without Rowid;"
    // No merging of the index's segments while rows are added, which would make a
    // catch-up cost far more than its rows; FTS5 still merges once a level holds many.
    "Insert Into names (names, rank) Values ('automerge', 0);";

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

struct Finalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

struct IndexError {};

void run(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw IndexError{};
    }
}

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        throw IndexError{};
    }
    return Statement(statement);
}

Connection open(const std::filesystem::path& file, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw IndexError{};
    }
    return Connection(db);
}

std::string stateValue(sqlite3* db, const char* key) {
    auto statement = prepare(db, "Select value From state Where key = ?1");
    sqlite3_bind_text(statement.get(), 1, key, -1, SQLITE_STATIC);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        return "";
    }
    const auto* text = sqlite3_column_text(statement.get(), 0);
    return text == nullptr ? "" : reinterpret_cast<const char*>(text);
}

void setState(sqlite3* db, const char* key, const std::string& value) {
    auto statement = prepare(db, "Insert Or Replace Into state (key, value) Values (?1, ?2)");
    sqlite3_bind_text(statement.get(), 1, key, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement.get(), 2, value.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        throw IndexError{};
    }
}

std::int64_t numberOf(const std::string& text) {
    return text.empty() ? 0 : std::stoll(text);
}

// A file's size and time of last change, or "-" when there is none or it is empty (a
// reader may leave an empty journal behind: it holds nothing written).
std::string fileStamp(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size == 0) {
        return "-";
    }
    const auto time = std::filesystem::last_write_time(file, error);
    return std::to_string(size) + "@" + std::to_string(time.time_since_epoch().count());
}

std::filesystem::path beside(const std::filesystem::path& file, const char* suffix) {
    return file.string() + suffix;
}

// A text put in an FTS5 query as one phrase: in quotes, its quotes doubled.
std::string phrase(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

char32_t indexed(char32_t folded) {
    // Bytes that are not UTF-8 decode as U+DC80..U+DCFF, which UTF-8 cannot carry.
    return folded >= 0xDC80 && folded <= 0xDCFF ? folded - 0xDC80 + 0xF780 : folded;
}

// The trigrams every matching name holds: those of the key's runs of three characters
// or more.
std::set<std::string> trigramsOf(const std::string& key) {
    std::set<std::string> trigrams;
    for (const std::u32string& run :
         WildcardPattern(key, WildcardPattern::Syntax::Like).literalRuns()) {
        for (std::size_t i = 0; i + 3 <= run.size(); ++i) {
            std::string trigram;
            for (std::size_t k = i; k < i + 3; ++k) {
                AppendUtf8(trigram, indexed(run[k]));
            }
            trigrams.insert(std::move(trigram));
        }
    }
    return trigrams;
}

} // namespace

std::string IndexText(std::string_view name) {
    std::string text;
    text.reserve(name.size());
    // Most names are ASCII, folded without decoding.
    if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
        for (const char c : name) {
            text += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        return text;
    }
    for (const char32_t c : FoldedText(name)) {
        AppendUtf8(text, indexed(c));
    }
    return text;
}

std::filesystem::path IndexFileFor(const std::filesystem::path& catalogFile,
                                   const std::filesystem::path& cacheFolder) {
    // FNV-1a over the catalogue's full path.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c :
         std::filesystem::absolute(catalogFile).lexically_normal().string()) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.index", static_cast<unsigned long long>(hash));
    return cacheFolder / name;
}

NameIndex::NameIndex(std::filesystem::path indexFile, std::filesystem::path catalogFile,
                     const FileSystem& files)
    : indexFile_(std::move(indexFile)), catalogFile_(std::move(catalogFile)), files_(files) {}

NameIndex::Stamps NameIndex::stamps() const {
    return {files_.fileIdentity(catalogFile_.string()) + "|" + fileStamp(catalogFile_) + "|" +
                fileStamp(beside(catalogFile_, "-wal")),
            fileStamp(indexFile_) + "|" + fileStamp(beside(indexFile_, "-journal"))};
}

void NameIndex::distrust() {
    const std::lock_guard lock(mutex_);
    trusted_.reset();
}

std::optional<std::vector<std::int64_t>>
NameIndex::candidates(const std::string& key, const std::optional<std::string>&) const {
    const std::set<std::string> trigrams = trigramsOf(key);
    if (trigrams.empty()) {
        return std::nullopt;
    }
    std::optional<Stamps> trusted;
    {
        const std::lock_guard lock(mutex_);
        trusted = trusted_;
    }
    if (!trusted || stamps() != *trusted) {
        return std::nullopt;
    }
    try {
        const Connection db = open(indexFile_, SQLITE_OPEN_READONLY);
        run(db.get(), "Create Virtual Table temp.vocabulary Using fts5vocab(main, names, row)");
        // The rarest trigrams narrow the most: a name must hold every one of them.
        std::vector<std::pair<std::int64_t, std::string>> counted;
        auto count = prepare(db.get(), "Select doc From temp.vocabulary Where term = ?1");
        for (const std::string& trigram : trigrams) {
            sqlite3_bind_text(count.get(), 1, trigram.data(), static_cast<int>(trigram.size()),
                              SQLITE_STATIC);
            const int rc = sqlite3_step(count.get());
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
                throw IndexError{};
            }
            const std::int64_t docs = rc == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : 0;
            sqlite3_reset(count.get());
            if (docs == 0) {
                return std::vector<std::int64_t>{};
            }
            counted.emplace_back(docs, trigram);
        }
        std::sort(counted.begin(), counted.end());
        std::string query = phrase(counted[0].second);
        if (counted.size() > 1) {
            query += " AND " + phrase(counted[1].second);
        }
        auto rows =
            prepare(db.get(), "Select rowid From names Where names Match ?1 Order By rowid");
        sqlite3_bind_text(rows.get(), 1, query.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::int64_t> rowIds;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            rowIds.push_back(sqlite3_column_int64(rows.get(), 0));
        }
        if (rc != SQLITE_DONE) {
            throw IndexError{};
        }
        // Changed while it was read: in doubt.
        if (stamps() != *trusted) {
            return std::nullopt;
        }
        return rowIds;
    } catch (const IndexError&) {
        return std::nullopt;
    }
}

void NameIndex::update(const Progress& progress, const std::function<bool()>& keepGoing) {
    distrust();
    try {
        const Stamps before = stamps();
        if (!bringUpToDate(progress, keepGoing)) {
            return;
        }
        const Stamps after = stamps();
        // Written while it was read: the next update will catch up with it.
        if (after.catalogue == before.catalogue) {
            const std::lock_guard lock(mutex_);
            trusted_ = after;
        }
    } catch (...) {
        // Out of use until the next update: searches scan.
    }
}

namespace {

// The index, ready to be written: made when it is not there, and made again when it is
// damaged or not an index; checked whole once a run (checked says whether it was).
Connection openForWriting(const std::filesystem::path& indexFile, bool& checked) {
    std::filesystem::create_directories(indexFile.parent_path());
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Connection db = open(indexFile, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            sqlite3_busy_timeout(db.get(), 2000);
            run(db.get(), Schema);
            // The index can always be made again: a crash while writing costs a rebuild,
            // found by the checks below, and nothing else. A failure short of a crash is
            // still rolled back, from the journal kept in memory.
            run(db.get(), "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;"
                          "PRAGMA cache_size = -65536");
            if (!checked) {
                // Once a run, the whole file: a damaged index would pick the wrong rows.
                auto check = prepare(db.get(), "PRAGMA quick_check(1)");
                if (sqlite3_step(check.get()) != SQLITE_ROW ||
                    std::string(reinterpret_cast<const char*>(
                        sqlite3_column_text(check.get(), 0))) != "ok") {
                    throw IndexError{};
                }
                check.reset();
                run(db.get(), "Insert Into names(names) Values ('integrity-check')");
                checked = true;
            }
            return db;
        } catch (const IndexError&) {
            // Damaged or not an index: it is only derived, so it is made again.
            std::error_code error;
            for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
                std::filesystem::remove(beside(indexFile, suffix), error);
            }
        }
    }
    throw IndexError{};
}

} // namespace

bool NameIndex::bringUpToDate(const Progress& progress, const std::function<bool()>& keepGoing) {
    // The catalogue first: without one, no index file is made.
    Catalog catalog(catalogFile_);
    Connection db = openForWriting(indexFile_, checked_);
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    const auto number = [&catalog](const char* sql, std::int64_t after = 0) {
        auto statement = catalog.db().prepare(sql);
        if (std::string_view(sql).find("?1") != std::string_view::npos) {
            statement.bind(1, after);
        }
        statement.step();
        return statement.integer(0);
    };
    // An index built by another rule of comparison is built anew.
    const std::string identity =
        files_.fileIdentity(catalogFile_.string()) + "|fold " + std::to_string(FoldRuleVersion);
    const std::int64_t count = number("Select Count(*) From MediaTable");
    const std::int64_t last = number("Select Coalesce(Max(rowid), 0) From MediaTable");
    std::int64_t indexedRows = numberOf(stateValue(db.get(), "rows"));
    std::int64_t indexedLast = numberOf(stateValue(db.get(), "last"));
    // The program only appends rows: anything else (a catalogue replaced, rows removed
    // or put back under old row ids) means building the index anew.
    const bool onlyAppended =
        stateValue(db.get(), "identity") == identity && indexedLast <= last &&
        indexedRows + number("Select Count(*) From MediaTable Where rowid > ?1", indexedLast) ==
            count;
    run(db.get(), "Begin");
    if (!onlyAppended) {
        run(db.get(), "Insert Into names(names) Values ('delete-all')");
        indexedRows = 0;
        indexedLast = 0;
        setState(db.get(), "identity", identity);
    }
    auto insert = prepare(db.get(), "Insert Into names (rowid, name) Values (?1, ?2)");
    const std::int64_t total = count - indexedRows;
    std::int64_t done = 0;
    const auto save = [&] {
        setState(db.get(), "rows", std::to_string(indexedRows));
        setState(db.get(), "last", std::to_string(indexedLast));
        run(db.get(), "Commit");
        if (progress) {
            progress(done, total);
        }
    };
    std::string text;
    auto names = catalog.db().prepare(
        "Select rowid, ファイル名 From MediaTable Where rowid > ?1 Order By rowid");
    names.bind(1, indexedLast);
    while (names.step()) {
        text = IndexText(names.view(1));
        sqlite3_bind_int64(insert.get(), 1, names.integer(0));
        sqlite3_bind_text(insert.get(), 2, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(insert.get()) != SQLITE_DONE) {
            throw IndexError{};
        }
        sqlite3_reset(insert.get());
        ++indexedRows;
        ++done;
        indexedLast = names.integer(0);
        if (done % BatchRows == 0) {
            save();
            if (keepGoing && !keepGoing()) {
                return false;
            }
            run(db.get(), "Begin");
        }
    }
    save();
    return true;
}

} // namespace orbisk
