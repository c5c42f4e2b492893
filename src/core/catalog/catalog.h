#pragma once

#include "catalog/catalog_error.h"
#include "sqlite/database.h"

#include <filesystem>

namespace orbisk {

// The catalogue file Orbisk.mdb, open for one command: the connection the catalogue's
// readers and writers work through. The file must exist: it is never created here. Text
// comparisons on it are the catalogue's own (LIKE and the FOLDED collation).
class Catalog {
public:
    static constexpr const char* FileName = "Orbisk.mdb";

    // Reading works on a catalogue the user cannot write (another user's, one on a disc):
    // it is then opened read-only, or as an unchanging file where not even the engine's
    // shared-memory index beside it can be made. Writing needs a writable catalogue.
    enum class Access { Read, Write };

    // Throws CatalogError when the file is not there or is no file, DatabaseError when it
    // is not a catalogue or cannot be opened with the access asked for.
    explicit Catalog(const std::filesystem::path& file, Access access = Access::Read);

    // Refuses a damaged file before anything is written into it.
    void checkIntact();

    // After a write: what the engine's journal holds goes into the file and the journal is
    // emptied, as far as no reader holds it, so that a catalogue copied or restored
    // without its journal misses nothing, and no journal is left to be replayed into
    // another file put in this one's place.
    void settle();

    // What is written between begin and commit becomes part of the catalogue together, or
    // not at all: leaving the transaction uncommitted (an exception, a crash) rolls all
    // back. Writing takes the write lock at once, so another writer is met before anything
    // is stored; reading sees one snapshot of the file throughout.
    class Transaction {
    public:
        enum class Kind { Read, Write };
        explicit Transaction(Catalog& catalog, Kind kind = Kind::Write);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        Catalog& catalog_;
        bool open_ = true;
    };

    // Creates an empty catalogue at file, a name nothing holds yet (not even a link).
    static void create(const std::filesystem::path& file);

private:
    // The connection is reached only by the catalogue's readers and writers.
    friend sqlite::Database& Connection(Catalog& catalog);
    sqlite::Database db_;
};

// Leaves the catalogue file alone beside its folder's other files: the engine's journal
// and shared-memory index are merged into it and removed, as when the last program using
// it closes normally. Nothing happens while another program has it open, or when it
// cannot be written.
void TidyCatalogFiles(const std::filesystem::path& file);

} // namespace orbisk
