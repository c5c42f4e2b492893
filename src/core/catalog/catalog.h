#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orbisk {

// The catalogue could not be opened, read or written; what() is the reason, in Japanese,
// with the engine's own words after it in parentheses.
class CatalogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One MediaTable row as the registration writes it.
struct FileRow {
    std::string path;
    std::string title;
    std::string name;
    std::string extension;
    std::string size;
    std::string date; // YYYY-MM-DD
};

// One search hit: the three columns the search reads.
struct CatalogHit {
    std::string path;
    std::string name;
    std::string title;
};

namespace detail {
struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;
} // namespace detail

// The catalogue file Orbisk.mdb, open for one command. The file must exist: it is never
// created here. Key and title always travel as bound parameters, and text comparisons
// ignore letter case as the catalogue's LIKE does.
class Catalog {
public:
    static constexpr const char* FileName = "Orbisk.mdb";

    // Reading works on a catalogue the user cannot write (another user's, one on a disc):
    // it is then opened read-only, or as an unchanging file where not even the engine's
    // shared-memory index beside it can be made. Writing needs a writable catalogue.
    enum class Access { Read, Write };

    // Throws CatalogError when the file is missing, is not a catalogue, or cannot be opened
    // with the access asked for.
    explicit Catalog(const std::filesystem::path& file, Access access = Access::Read);
    ~Catalog();
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    // Refuses a damaged file before anything is written into it.
    void checkIntact();

    // Rows stored between begin and commit become part of the catalogue together, or not
    // at all: leaving the transaction uncommitted (an exception, a crash) rolls all back.
    class Transaction {
    public:
        explicit Transaction(Catalog& catalog);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        Catalog& catalog_;
        bool open_ = true;
    };

    // Stores one file row by its own statement.
    void storeFileRow(const FileRow& row);
    void storeTitle(const std::string& title);

    // Every title row of MediaName in engine order; a row without a title is passed over.
    std::vector<std::string> titles();

    // Rows of MediaTable whose name matches the LIKE key, of every title or of one, in
    // engine order. onHit returns false to stop reading. All rows are read in one snapshot.
    void findFiles(const std::string& key, const std::optional<std::string>& title,
                   const std::function<bool(CatalogHit&&)>& onHit);

    // Creates an empty catalogue at file, a name nothing holds yet (not even a link).
    static void create(const std::filesystem::path& file);

private:
    detail::Statement prepare(const char* sql);
    void execute(const char* sql);
    [[noreturn]] void fail() const;

    sqlite3* db_ = nullptr;
    detail::Statement insertFile_;
};

// A Japanese sentence for an engine result code, with the engine's text in parentheses.
std::string catalogReason(int resultCode, const std::string& engineText);

// What the user is told when the catalogue cannot be opened or read: the sentence, the
// catalogue's path, the reason.
std::string CatalogOpenFailure(const std::filesystem::path& file, const std::string& reason);

} // namespace orbisk
