#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

// What the catalogue holds of one disc title: its registrations (title rows), its file
// rows, their sizes added up and the registration dates, oldest first.
struct DiscFigures {
    std::string title;
    std::int64_t registrations = 0;
    std::int64_t files = 0;
    std::int64_t kilobytes = 0;
    std::vector<std::string> dates;
};

// One file row of a disc, as the catalogue window shows it.
struct DiscFile {
    std::string path;
    std::string name;
    std::string size;
    std::string date;
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
    // The same, looking only at the rows given, in ascending row id order: those a name
    // index picked as the only ones that can match.
    void findFilesAmong(const std::vector<std::int64_t>& rowIds, const std::string& key,
                        const std::optional<std::string>& title,
                        const std::function<bool(CatalogHit&&)>& onHit);

    // What a name index needs: the file rows' number and highest row id, and their names
    // from a row id on, in row id order. Read in one snapshot between beginReading and
    // endReading.
    void beginReading();
    void endReading();
    std::int64_t fileRowCount();
    std::int64_t lastFileRowId();
    std::int64_t fileRowsAfter(std::int64_t rowId);
    void namesAfter(std::int64_t rowId,
                    const std::function<bool(std::int64_t rowId, std::string_view name)>& onName);

    // Every disc title, with its figures: the titles of the title rows in the order of
    // their first row, then titles that only file rows carry (left by a registration of
    // an older program that failed half-way). Reads every row: give it a thread of its own
    // on a large catalogue. onRows is told every 100,000 rows read, and stops the reading
    // by returning false.
    std::vector<DiscFigures> discFigures(const std::function<bool()>& onRows = {});

    // The file rows of one title (the exact text), in engine order, and their number.
    std::vector<DiscFile> discFiles(const std::string& title);
    std::int64_t fileCount(const std::string& title);

    // Every row of the catalogue, or of one title, as the catalogue holds them: path,
    // title, name, extension, size, date. onRow returns false to stop.
    void exportRows(const std::optional<std::string>& title,
                    const std::function<bool(const std::vector<std::string>& row)>& onRow);

    // Gives every row of a title, file rows and title rows, the new title; or removes them
    // all. Each is one transaction: a failure leaves the catalogue as it was. The title
    // is compared exactly, so a title differing only in letter case is not touched.
    void renameDisc(const std::string& title, const std::string& newTitle);
    void removeDisc(const std::string& title);

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
