#include "catalog/catalog.h"

#include "catalog/comparisons.h"
#include "catalog/connection.h"
#include "catalog/content_records.h"
#include "catalog/packed_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace orbisk {

namespace {

constexpr const char* SchemaCheck =
    "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, 登録日 From MediaTable "
    "Where 0 Union All Select メディア名, 0, 0, 0, 0, 0 From MediaName Where 0";

// Small pages: a registration's rows are written in one go, but searches read every
// page, and 1 KiB pages keep the rows of a name scan close together.
constexpr const char* Schema = "PRAGMA page_size = 1024;"
                               "PRAGMA journal_mode = WAL;";

// Both tables are made in one transaction: a catalogue has both or is not made.
constexpr const char* Tables =
    "Create Table MediaTable (ファイルパス Text, メディア名 Text, ファイル名 Text, "
    "拡張子 Text, サイズ Text, 登録日 Date);"
    "Create Table MediaName (メディア名 Text);";

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

Catalog::Catalog(const std::filesystem::path& file, Access access) {
    RequireCatalogFile(file);
    const std::vector<OpenWay> ways = access == Access::Write
                                          ? std::vector<OpenWay>{Plain}
                                          : std::vector<OpenWay>{Plain, ReadOnly, Unchanging};
    std::optional<DatabaseError> refusal;
    for (const OpenWay& way : ways) {
        try {
            db_ = sqlite::Database(way.query ? fileUri(file, way.query) : file.string(), way.flags);
            // Another program may hold the file for a moment; wait for it rather than fail.
            sqlite3_busy_timeout(db_.handle(), 5000);
            RegisterComparisons(db_.handle());
            RegisterArchiveTie(db_.handle());
            RegisterContentTie(db_.handle());
            db_.prepare(SchemaCheck);
            if (access == Access::Write && db_.readOnly()) {
                throw DatabaseError(SQLITE_READONLY, sqlite3_errstr(SQLITE_READONLY));
            }
            break;
        } catch (const DatabaseError& error) {
            db_.close();
            // A read-only refusal says more than the ways tried after it.
            if (!refusal || (refusal->code() & 0xFF) != SQLITE_READONLY) {
                refusal = error;
            }
            if (!worthAnotherWay(error.code())) {
                break;
            }
        }
    }
    if (!db_) {
        throw *refusal;
    }
    if (access == Access::Read) {
        // A reader leaves the files as they are, journal included, so that what the name
        // index knows of the files stays true while only readers look at them.
        sqlite3_db_config(db_.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    } else {
        // A crash of the program itself never loses a committed registration with WAL and
        // NORMAL; only a power cut may lose the last one, never damage the file.
        db_.exec("PRAGMA synchronous = NORMAL");
    }
}

void Catalog::checkIntact() {
    auto check = db_.prepare("PRAGMA quick_check(1)");
    if (!check.step()) {
        db_.fail();
    }
    const std::string verdict = check.text(0);
    if (verdict != "ok") {
        throw DatabaseError(SQLITE_CORRUPT, verdict);
    }
}

bool HasTable(Catalog& catalog, const char* name) {
    return Connection(catalog)
        .prepare("Select 1 From sqlite_master Where type = 'table' And name = ?1")
        .bind(1, name)
        .step();
}

void Catalog::settle() {
    sqlite3_exec(db_.handle(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

Catalog::Transaction::Transaction(Catalog& catalog, Kind kind) : catalog_(catalog) {
    catalog_.db_.exec(kind == Kind::Write ? "Begin Immediate" : "Begin");
}

Catalog::Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(catalog_.db_.handle(), "Rollback", nullptr, nullptr, nullptr);
    }
}

void Catalog::Transaction::commit() {
    catalog_.db_.exec("Commit");
    open_ = false;
}

namespace {

// A name of the file's folder that nothing holds, created empty as the file is made
// elsewhere: "x" makes it here or not at all, and never through a link.
std::filesystem::path createUnusedBeside(const std::filesystem::path& file) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(random()));
        auto name = file.parent_path() / ("." + file.filename().string() + suffix + ".new");
        if (std::FILE* created = std::fopen(name.c_str(), "wbx")) {
            std::fclose(created);
            return name;
        }
        if (errno != EEXIST) {
            throw CatalogError(CatalogError::Kind::Other, {Verbatim(std::strerror(errno))});
        }
    }
    throw CatalogError(CatalogError::Kind::Other, {Verbatim(std::strerror(EEXIST))});
}

// Gives the made file its name unless something (a file, a link) has taken the name
// meanwhile. A file system without the no-replace move gets a link and the old name's
// removal, which refuses a taken name alike.
void moveIntoPlace(const std::filesystem::path& made, const std::filesystem::path& file) {
    if (renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        if (link(made.c_str(), file.c_str()) == 0) {
            std::error_code ignored;
            std::filesystem::remove(made, ignored);
            return;
        }
    }
    throw errno == EEXIST
        ? CatalogError(CatalogError::Kind::Taken, {{MessageId::NameTaken, {}}})
        : CatalogError(CatalogError::Kind::Other, {Verbatim(std::strerror(errno))});
}

} // namespace

void Catalog::create(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        throw CatalogError(CatalogError::Kind::Taken, {{MessageId::NameTaken, {}}});
    }
    // The catalogue is made whole under a name of its own and only then takes its name, so
    // that a crash or a kill half-way never leaves a file there that is no catalogue (an
    // empty one, or one with a table missing), which would then be refused as taken.
    const std::filesystem::path made = createUnusedBeside(file);
    try {
        {
            sqlite::Database db(made.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
            db.exec(Schema);
            db.exec("Begin Immediate");
            db.exec(Tables);
            db.exec("Commit");
        }
        // Closing the only connection has put the journal into the file and removed it.
        moveIntoPlace(made, file);
    } catch (...) {
        std::filesystem::remove(made, error);
        throw;
    }
}

void TidyCatalogFiles(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return;
    }
    try {
        // A plain connection, closed: the engine checkpoints and removes what it kept
        // beside the file when it is the last one.
        sqlite::Database db(file.string(), SQLITE_OPEN_READWRITE);
        db.exec("Select 1 From sqlite_master Limit 1");
    } catch (const DatabaseError&) {
        // Read-only or busy: what is there stays.
    }
}

} // namespace orbisk
