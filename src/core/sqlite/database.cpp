#include "sqlite/database.h"

#include <sqlite3.h>
#include <utility>

namespace orbisk {

namespace {

// What an engine result code means to the user, with the engine's own words.
Message databaseReason(int code, const std::string& engineText) {
    MessageId id = MessageId::CatalogFailed;
    switch (code & 0xFF) {
    case SQLITE_READONLY:
        id = MessageId::CatalogReadOnly;
        break;
    case SQLITE_CANTOPEN:
        id = MessageId::CatalogCannotOpen;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        id = MessageId::CatalogBusy;
        break;
    case SQLITE_CORRUPT:
        id = MessageId::CatalogDamaged;
        break;
    case SQLITE_NOTADB:
        id = MessageId::NotACatalog;
        break;
    case SQLITE_FULL:
        id = MessageId::DiskFull;
        break;
    case SQLITE_IOERR:
        id = MessageId::CatalogIoError;
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        id = MessageId::CatalogNoPermission;
        break;
    case SQLITE_NOMEM:
        id = MessageId::OutOfMemory;
        break;
    case SQLITE_ERROR:
        if (engineText.find("no such") != std::string::npos) {
            id = MessageId::CatalogMissingTable;
        }
        break;
    }
    return {id, {engineText}};
}

} // namespace

DatabaseError::DatabaseError(int code, std::string engineText)
    : Failure(MessageLines{databaseReason(code, engineText)}), code_(code),
      engineText_(std::move(engineText)) {}

namespace sqlite {

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), statement_(std::exchange(other.statement_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        db_ = other.db_;
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

namespace {

[[noreturn]] void failOn(sqlite3* db) {
    throw DatabaseError(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

} // namespace

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC) != SQLITE_OK) {
        failOn(db_);
    }
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) {
        failOn(db_);
    }
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_STATIC) != SQLITE_OK) {
        failOn(db_);
    }
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) {
        failOn(db_);
    }
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    const int code = sqlite3_extended_errcode(db_);
    std::string text = sqlite3_errmsg(db_);
    sqlite3_reset(statement_);
    throw DatabaseError(code, std::move(text));
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(statement_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string_view Statement::view(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text),
                                              static_cast<std::size_t>(
                                                  sqlite3_column_bytes(statement_, column)));
}

std::string Statement::blob(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    return bytes == nullptr
               ? std::string()
               : std::string(static_cast<const char*>(bytes),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

Database::Database(const std::string& name, int flags) {
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string text = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError(rc, text);
    }
    sqlite3_extended_result_codes(db_, 1);
}

Database::Database(Database&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

Database::~Database() {
    close();
}

void Database::close() {
    sqlite3_close(db_);
    db_ = nullptr;
}

void Database::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail();
    }
}

Statement Database::prepare(std::string_view sql, bool persistent) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                           persistent ? SQLITE_PREPARE_PERSISTENT : 0, &statement,
                           nullptr) != SQLITE_OK) {
        fail();
    }
    return Statement(db_, statement);
}

bool Database::readOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

std::int64_t Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

void Database::fail() const {
    failOn(db_);
}

} // namespace sqlite
} // namespace orbisk
