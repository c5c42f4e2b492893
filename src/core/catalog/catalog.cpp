#include "catalog/catalog.h"

#include "catalog/comparisons.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unordered_map>

namespace orbisk {

namespace {

constexpr const char* SchemaCheck =
    "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, 登録日 From MediaTable "
    "Where 0 Union All Select メディア名, 0, 0, 0, 0, 0 From MediaName Where 0";

// Small pages: a registration's rows are written in one go, but searches read every
// page, and 1 KiB pages keep the rows of a name scan close together.
constexpr const char* Schema =
    "PRAGMA page_size = 1024;"
    "PRAGMA journal_mode = WAL;"
    "Create Table MediaTable (ファイルパス Text, メディア名 Text, ファイル名 Text, "
    "拡張子 Text, サイズ Text, 登録日 Date);"
    "Create Table MediaName (メディア名 Text);";

std::string columnText(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text == nullptr
               ? std::string()
               : std::string(reinterpret_cast<const char*>(text),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

void bind(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// The file as a URI, every byte that could be read as URI syntax escaped.
std::string fileUri(const std::filesystem::path& file, const char* query) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : std::filesystem::absolute(file).string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + "?" + query;
}

// One way to open the file. Reading tries them in order: as it is (the engine falls back
// to read-only for a file the user cannot write), read-only, and as an unchanging file,
// which needs neither the journal nor the shared-memory index beside it.
struct OpenWay {
    const char* query; // nullptr: the plain file name
    int flags;
};
constexpr OpenWay Plain{nullptr, SQLITE_OPEN_READWRITE};
constexpr OpenWay ReadOnly{"mode=ro", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI};
constexpr OpenWay Unchanging{"immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI};

bool worthAnotherWay(int code) {
    return (code & 0xFF) == SQLITE_READONLY || (code & 0xFF) == SQLITE_CANTOPEN;
}

} // namespace

std::string catalogReason(int resultCode, const std::string& engineText) {
    const char* sentence = "カタログの操作に失敗しました。";
    switch (resultCode & 0xFF) {
    case SQLITE_READONLY:
        sentence = "カタログに書き込めません。読み取り専用のファイルかフォルダです。";
        break;
    case SQLITE_CANTOPEN:
        sentence = "カタログを開けません。";
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        sentence = "カタログはほかのプログラムが使用中です。しばらくしてからやり直して下さい。";
        break;
    case SQLITE_CORRUPT:
        sentence = "カタログが壊れています。";
        break;
    case SQLITE_NOTADB:
        sentence = "カタログのファイルではありません。";
        break;
    case SQLITE_FULL:
        sentence = "ディスクがいっぱいです。";
        break;
    case SQLITE_IOERR:
        sentence = "カタログの読み書き中に入出力エラーが発生しました。";
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        sentence = "カタログを使用する権限がありません。";
        break;
    case SQLITE_NOMEM:
        sentence = "メモリが足りません。";
        break;
    case SQLITE_ERROR:
        if (engineText.find("no such") != std::string::npos) {
            sentence = "カタログの表または列がありません。";
        }
        break;
    }
    return std::string(sentence) + "(" + engineText + ")";
}

std::string CatalogOpenFailure(const std::filesystem::path& file, const std::string& reason) {
    return "カタログを開けませんでした。\n" + file.string() + "\n" + reason;
}

void detail::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Catalog::Catalog(const std::filesystem::path& file, Access access) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw CatalogError("ファイルがありません。");
    }
    const std::vector<OpenWay> ways = access == Access::Write
                                          ? std::vector<OpenWay>{Plain}
                                          : std::vector<OpenWay>{Plain, ReadOnly, Unchanging};
    int code = SQLITE_OK;
    std::string message;
    for (const OpenWay& way : ways) {
        const std::string name = way.query ? fileUri(file, way.query) : file.string();
        code = sqlite3_open_v2(name.c_str(), &db_, way.flags, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_extended_result_codes(db_, 1);
            // Another program may hold the file for a moment; wait for it rather than fail.
            sqlite3_busy_timeout(db_, 5000);
            registerComparisons(db_);
            sqlite3_stmt* check = nullptr;
            code = sqlite3_prepare_v2(db_, SchemaCheck, -1, &check, nullptr);
            sqlite3_finalize(check);
            if (code == SQLITE_OK && access == Access::Write && sqlite3_db_readonly(db_, "main")) {
                code = SQLITE_READONLY;
                message = sqlite3_errstr(code);
            }
        }
        if (code == SQLITE_OK) {
            break;
        }
        if (message.empty() || (code & 0xFF) != SQLITE_READONLY) {
            message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        }
        sqlite3_close(db_);
        db_ = nullptr;
        if (!worthAnotherWay(code)) {
            break;
        }
    }
    if (db_ == nullptr) {
        throw CatalogError(catalogReason(code, message));
    }
    if (access == Access::Read) {
        // A reader leaves the files as they are, journal included, so that a name index
        // can tell from them alone that nobody has written since it last looked.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    if (access == Access::Write) {
        // A crash of the program itself never loses a committed registration with WAL and
        // NORMAL; only a power cut may lose the last one, never damage the file.
        sqlite3_exec(db_, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    }
}

Catalog::~Catalog() {
    insertFile_.reset();
    sqlite3_close(db_);
}

void Catalog::fail() const {
    throw CatalogError(catalogReason(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_)));
}

detail::Statement Catalog::prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        fail();
    }
    return detail::Statement(statement);
}

void Catalog::execute(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail();
    }
}

void Catalog::checkIntact() {
    auto statement = prepare("PRAGMA quick_check(1)");
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW) {
        fail();
    }
    const std::string verdict = columnText(statement.get(), 0);
    if (verdict != "ok") {
        throw CatalogError(catalogReason(SQLITE_CORRUPT, verdict));
    }
}

Catalog::Transaction::Transaction(Catalog& catalog) : catalog_(catalog) {
    // Takes the write lock now, so that another writer is met before any row is stored.
    catalog_.execute("Begin Immediate");
}

Catalog::Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(catalog_.db_, "Rollback", nullptr, nullptr, nullptr);
    }
}

void Catalog::Transaction::commit() {
    catalog_.execute("Commit");
    open_ = false;
}

void Catalog::storeFileRow(const FileRow& row) {
    if (!insertFile_) {
        insertFile_ =
            prepare("Insert Into MediaTable (ファイルパス, メディア名, ファイル名, 拡張子, "
                    "サイズ, 登録日) Values (?1, ?2, ?3, ?4, ?5, ?6)");
    }
    sqlite3_stmt* statement = insertFile_.get();
    bind(statement, 1, row.path);
    bind(statement, 2, row.title);
    bind(statement, 3, row.name);
    bind(statement, 4, row.extension);
    bind(statement, 5, row.size);
    bind(statement, 6, row.date);
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        fail();
    }
}

void Catalog::storeTitle(const std::string& title) {
    auto statement = prepare("Insert Into MediaName (メディア名) Values (?1)");
    bind(statement.get(), 1, title);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        fail();
    }
}

std::vector<std::string> Catalog::titles() {
    auto statement = prepare("Select メディア名 From MediaName");
    std::vector<std::string> result;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (sqlite3_column_type(statement.get(), 0) != SQLITE_NULL) {
            result.push_back(columnText(statement.get(), 0));
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
    return result;
}

void Catalog::findFiles(const std::string& key, const std::optional<std::string>& title,
                        const std::function<bool(CatalogHit&&)>& onHit) {
    auto statement = prepare(title ? "Select ファイルパス, ファイル名, メディア名 From MediaTable "
                                     "Where ファイル名 like ?1 and メディア名 = ?2 Collate FOLDED"
                                   : "Select ファイルパス, ファイル名, メディア名 From MediaTable "
                                     "Where ファイル名 like ?1");
    bind(statement.get(), 1, key);
    if (title) {
        bind(statement.get(), 2, *title);
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        CatalogHit hit{columnText(statement.get(), 0), columnText(statement.get(), 1),
                       columnText(statement.get(), 2)};
        if (!onHit(std::move(hit))) {
            return;
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
}

namespace {

// The kilobytes a size text holds: its digits, whatever the grouping between them.
std::int64_t kilobytesOf(const unsigned char* text) {
    std::int64_t value = 0;
    for (; text != nullptr && *text != '\0'; ++text) {
        if (*text >= '0' && *text <= '9') {
            value = value * 10 + (*text - '0');
        }
    }
    return value;
}

} // namespace

std::vector<DiscFigures> Catalog::discFigures(const std::function<bool()>& onRows) {
    std::vector<DiscFigures> discs;
    std::unordered_map<std::string, std::size_t> byTitle;
    const auto discOf = [&](std::string title) -> DiscFigures& {
        const auto [at, added] = byTitle.try_emplace(title, discs.size());
        if (added) {
            discs.push_back({std::move(title), 0, 0, 0, {}});
        }
        return discs[at->second];
    };
    auto titleRows = prepare("Select メディア名 From MediaName");
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(titleRows.get())) == SQLITE_ROW) {
        if (sqlite3_column_type(titleRows.get(), 0) != SQLITE_NULL) {
            ++discOf(columnText(titleRows.get(), 0)).registrations;
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
    auto fileRows = prepare("Select メディア名, サイズ, 登録日 From MediaTable");
    std::string title;
    std::int64_t read = 0;
    while ((rc = sqlite3_step(fileRows.get())) == SQLITE_ROW) {
        title = columnText(fileRows.get(), 0);
        DiscFigures& disc = discOf(title);
        ++disc.files;
        disc.kilobytes += kilobytesOf(sqlite3_column_text(fileRows.get(), 1));
        std::string date = columnText(fileRows.get(), 2);
        if (std::find(disc.dates.begin(), disc.dates.end(), date) == disc.dates.end()) {
            disc.dates.push_back(std::move(date));
        }
        if (++read % 100000 == 0 && onRows && !onRows()) {
            return discs;
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
    for (DiscFigures& disc : discs) {
        std::sort(disc.dates.begin(), disc.dates.end());
    }
    return discs;
}

std::vector<DiscFile> Catalog::discFiles(const std::string& title) {
    auto statement = prepare("Select ファイルパス, ファイル名, サイズ, 登録日 From MediaTable "
                             "Where メディア名 = ?1");
    bind(statement.get(), 1, title);
    std::vector<DiscFile> files;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        files.push_back({columnText(statement.get(), 0), columnText(statement.get(), 1),
                         columnText(statement.get(), 2), columnText(statement.get(), 3)});
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
    return files;
}

std::int64_t Catalog::fileCount(const std::string& title) {
    auto statement = prepare("Select Count(*) From MediaTable Where メディア名 = ?1");
    bind(statement.get(), 1, title);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        fail();
    }
    return sqlite3_column_int64(statement.get(), 0);
}

void Catalog::exportRows(const std::optional<std::string>& title,
                         const std::function<bool(const std::vector<std::string>& row)>& onRow) {
    auto statement = prepare(title ? "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, "
                                     "登録日 From MediaTable Where メディア名 = ?1"
                                   : "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, "
                                     "登録日 From MediaTable");
    if (title) {
        bind(statement.get(), 1, *title);
    }
    std::vector<std::string> row(6);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        for (int column = 0; column < 6; ++column) {
            row[static_cast<std::size_t>(column)] = columnText(statement.get(), column);
        }
        if (!onRow(row)) {
            return;
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
}

void Catalog::renameDisc(const std::string& title, const std::string& newTitle) {
    Transaction rename(*this);
    for (const char* sql : {"Update MediaTable Set メディア名 = ?2 Where メディア名 = ?1",
                            "Update MediaName Set メディア名 = ?2 Where メディア名 = ?1"}) {
        auto statement = prepare(sql);
        bind(statement.get(), 1, title);
        bind(statement.get(), 2, newTitle);
        if (sqlite3_step(statement.get()) != SQLITE_DONE) {
            fail();
        }
    }
    rename.commit();
}

void Catalog::removeDisc(const std::string& title) {
    Transaction removal(*this);
    for (const char* sql : {"Delete From MediaTable Where メディア名 = ?1",
                            "Delete From MediaName Where メディア名 = ?1"}) {
        auto statement = prepare(sql);
        bind(statement.get(), 1, title);
        if (sqlite3_step(statement.get()) != SQLITE_DONE) {
            fail();
        }
    }
    removal.commit();
}

void Catalog::findFilesAmong(const std::vector<std::int64_t>& rowIds, const std::string& key,
                             const std::optional<std::string>& title,
                             const std::function<bool(CatalogHit&&)>& onHit) {
    auto statement = prepare(title ? "Select ファイルパス, ファイル名, メディア名 From MediaTable "
                                     "Where rowid = ?3 And ファイル名 like ?1 "
                                     "And メディア名 = ?2 Collate FOLDED"
                                   : "Select ファイルパス, ファイル名, メディア名 From MediaTable "
                                     "Where rowid = ?3 And ファイル名 like ?1");
    bind(statement.get(), 1, key);
    if (title) {
        bind(statement.get(), 2, *title);
    }
    beginReading();
    for (const std::int64_t rowId : rowIds) {
        sqlite3_bind_int64(statement.get(), 3, rowId);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            CatalogHit hit{columnText(statement.get(), 0), columnText(statement.get(), 1),
                           columnText(statement.get(), 2)};
            if (!onHit(std::move(hit))) {
                sqlite3_reset(statement.get());
                endReading();
                return;
            }
        }
        sqlite3_reset(statement.get());
        if (rc != SQLITE_DONE) {
            endReading();
            fail();
        }
    }
    endReading();
}

void Catalog::beginReading() {
    execute("Begin");
}

void Catalog::endReading() {
    sqlite3_exec(db_, "Commit", nullptr, nullptr, nullptr);
}

std::int64_t Catalog::fileRowCount() {
    auto statement = prepare("Select Count(*) From MediaTable");
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        fail();
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::int64_t Catalog::lastFileRowId() {
    auto statement = prepare("Select Coalesce(Max(rowid), 0) From MediaTable");
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        fail();
    }
    return sqlite3_column_int64(statement.get(), 0);
}

std::int64_t Catalog::fileRowsAfter(std::int64_t rowId) {
    auto statement = prepare("Select Count(*) From MediaTable Where rowid > ?1");
    sqlite3_bind_int64(statement.get(), 1, rowId);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        fail();
    }
    return sqlite3_column_int64(statement.get(), 0);
}

void Catalog::namesAfter(std::int64_t rowId,
                         const std::function<bool(std::int64_t, std::string_view)>& onName) {
    auto statement =
        prepare("Select rowid, ファイル名 From MediaTable Where rowid > ?1 Order By rowid");
    sqlite3_bind_int64(statement.get(), 1, rowId);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(statement.get(), 1);
        const std::string_view name =
            text == nullptr ? std::string_view()
                            : std::string_view(reinterpret_cast<const char*>(text),
                                               static_cast<std::size_t>(
                                                   sqlite3_column_bytes(statement.get(), 1)));
        if (!onName(sqlite3_column_int64(statement.get(), 0), name)) {
            return;
        }
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
}

void Catalog::create(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        throw CatalogError("同じ名前のファイルがすでにあります。");
    }
    // "x": created here or not at all, and never through a link, even a dangling one.
    std::FILE* created = std::fopen(file.c_str(), "wbx");
    if (created == nullptr) {
        throw CatalogError(errno == EEXIST ? "同じ名前のファイルがすでにあります。"
                                           : std::strerror(errno));
    }
    std::fclose(created);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    char* message = nullptr;
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, Schema, nullptr, nullptr, &message);
    }
    const std::string reason = message ? message : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        std::filesystem::remove(file, error);
        throw CatalogError(catalogReason(rc, reason));
    }
}

} // namespace orbisk
