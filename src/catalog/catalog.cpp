#include "catalog/catalog.h"

#include "catalog/like_function.h"

#include <sqlite3.h>

namespace orbisk {

namespace {

constexpr const char* SchemaCheck =
    "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, 登録日 From MediaTable "
    "Where 0 Union All Select メディア名, 0, 0, 0, 0, 0 From MediaName Where 0";

// Small pages: every file row is a commit of its own, and each commit writes its changed
// pages whole, so a small page writes a quarter of what the usual 4 KiB page would.
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

} // namespace

void detail::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Catalog::Catalog(const std::filesystem::path& file) : file_(file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw CatalogError("ファイルがありません。");
    }
    const int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw CatalogError(reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    // Another reader may hold the file for a moment; wait for it rather than fail.
    sqlite3_busy_timeout(db_, 5000);
    registerLikeFunction(db_);
    try {
        // Each row is its own write: with WAL, NORMAL needs no sync per row and still
        // never loses a row that a crash of the program itself would interrupt. A longer
        // log between checkpoints spares most of the syncs a checkpoint makes.
        sqlite3_exec(db_, "PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 10000", nullptr,
                     nullptr, nullptr);
        prepare(SchemaCheck);
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Catalog::~Catalog() {
    insertFile_.reset();
    sqlite3_close(db_);
}

void Catalog::fail(const std::string& what) const {
    const int code = sqlite3_errcode(db_);
    std::string reason = sqlite3_errmsg(db_);
    if ((code & 0xFF) == SQLITE_NOTADB) {
        reason = "カタログのファイルではありません。(" + reason + ")";
    } else if ((code & 0xFF) == SQLITE_FULL) {
        reason = "ディスクがいっぱいです。(" + reason + ")";
    } else if (reason.find("no such") != std::string::npos) {
        reason = "カタログの表または列がありません。(" + reason + ")";
    }
    throw CatalogError(what.empty() ? reason : what + ": " + reason);
}

detail::Statement Catalog::prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        fail("");
    }
    return detail::Statement(statement);
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
        fail("");
    }
}

void Catalog::storeTitle(const std::string& title) {
    auto statement = prepare("Insert Into MediaName (メディア名) Values (?1)");
    bind(statement.get(), 1, title);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        fail("");
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
        fail("");
    }
    return result;
}

void Catalog::findFiles(const std::string& key, const std::optional<std::string>& title,
                        const std::function<bool(CatalogHit&&)>& onHit) {
    auto statement = prepare(title ? "Select ファイルパス, ファイル名, メディア名 From MediaTable "
                                     "Where ファイル名 like ?1 and メディア名 = ?2"
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
        fail("");
    }
}

void Catalog::create(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(file, error) || error) {
        throw CatalogError("同じ名前のファイルがすでにあります。");
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string reason = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw CatalogError(reason);
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(db, Schema, nullptr, nullptr, &message);
    const std::string reason = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw CatalogError(reason);
    }
}

} // namespace orbisk
