#pragma once

#include "messages/failure.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace orbisk {

// The engine refused: the reason says what the result code means, with the engine's own
// words; code() and engineText() are the parts.
class DatabaseError : public Failure {
public:
    DatabaseError(int code, std::string engineText);
    int code() const { return code_; }
    const std::string& engineText() const { return engineText_; }

private:
    int code_;
    std::string engineText_;
};

namespace sqlite {

// One prepared statement. Texts are bound without a copy: they must outlive the step
// that reads them. Every failure throws DatabaseError.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, std::int64_t value);
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bindNull(int index);
    // True with a row to read, false when done.
    bool step();
    // Steps through a statement that returns no row.
    void run();
    void reset();

    bool isNull(int column) const;
    std::string_view view(int column) const;
    std::string text(int column) const { return std::string(view(column)); }
    std::string blob(int column) const;
    std::int64_t integer(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_;
};

// A connection. Closed when destroyed.
class Database {
public:
    Database() = default;
    // Opens name (a path, or a file: URI with SQLITE_OPEN_URI) with the engine's flags.
    Database(const std::string& name, int flags);
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    explicit operator bool() const { return db_ != nullptr; }
    sqlite3* handle() const { return db_; }

    void exec(const char* sql);
    // persistent: kept for many uses (the engine places it accordingly).
    Statement prepare(std::string_view sql, bool persistent = false);
    bool readOnly() const;
    std::int64_t lastInsertRowId() const;
    // Throws the connection's last error.
    [[noreturn]] void fail() const;
    // Closes now.
    void close();

private:
    sqlite3* db_ = nullptr;
};

} // namespace sqlite
} // namespace orbisk
