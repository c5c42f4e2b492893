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

// The catalogue could not be opened, read or written; what() is the reason.
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
// created here. Key and title always travel as bound parameters.
class Catalog {
public:
    static constexpr const char* FileName = "Orbisk.mdb";

    // Opens read-write; throws CatalogError when the file is missing or is not a catalogue.
    explicit Catalog(const std::filesystem::path& file);
    ~Catalog();
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    // Stores one file row by its own statement: it stands even if a later one fails.
    void storeFileRow(const FileRow& row);
    void storeTitle(const std::string& title);

    // Every title row of MediaName in engine order; a row without a title is passed over.
    std::vector<std::string> titles();

    // Rows of MediaTable whose name matches the LIKE key, of every title or of one, in
    // engine order. onHit returns false to stop reading. All rows are read in one snapshot.
    void findFiles(const std::string& key, const std::optional<std::string>& title,
                   const std::function<bool(CatalogHit&&)>& onHit);

    // Creates an empty catalogue at file, which must not exist yet.
    static void create(const std::filesystem::path& file);

private:
    detail::Statement prepare(const char* sql);
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
    detail::Statement insertFile_;
};

} // namespace orbisk
