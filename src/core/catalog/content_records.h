#pragma once

#include "catalog/catalog.h"
#include "catalog/disc_records.h"
#include "content/content_fingerprint.h"
#include "content/disc_verification.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace orbisk {

// What a file's bytes were found to be, kept in a table of Orbisk's own (OrbiskContents),
// made with the first fingerprint a catalogue gets: for a file row, or for a file packed in
// a file row's archive. A row's id alone does not tie a fingerprint to it (another program
// may remove rows, and the engine gives their ids to the next rows added), so each
// fingerprint keeps a check of its row's path, title, size and date as they were when it
// was stored, and is its row's only while the row still has them.
struct StoredContent {
    std::int64_t fileRow = 0;
    std::int64_t member = 0; // the packed file (OrbiskMembers.member); 0 for the file itself
    ContentFingerprint content;
};

std::int64_t ContentTie(std::string_view path, std::string_view title, std::string_view size,
                        std::string_view date);
// Makes content_tie(path, title, size, date) known to the connection's statements.
void RegisterContentTie(sqlite3* db);

// Keeps the fingerprint, in place of one kept before; tied to the row as it is now. Nothing
// is kept for a row, or a packed file of it, that is not there. The catalogue must be open
// for writing; the caller's transaction makes it part of its other writes.
void StoreContent(Catalog& catalog, const StoredContent& stored);

// StoreContent for many fingerprints in a row (a registration's): the table is made and the
// statements prepared once.
class ContentWriter {
public:
    explicit ContentWriter(Catalog& catalog);
    void store(const StoredContent& stored);

private:
    sqlite::Statement file_;
    std::optional<sqlite::Statement> member_;
};

// The fingerprints still tied to their rows: those of the file rows from firstRow to
// lastRow (a registration's), or every one when the range is not given; in row order, a
// file row's own before its packed files'.
std::vector<StoredContent> ReadContents(Catalog& catalog,
                                        std::optional<std::pair<std::int64_t, std::int64_t>> rows);

// Before a registration stores its rows: the fingerprints of rows gone past the
// catalogue's last row go, as the engine will give their ids to the new rows, and so do
// the verifications of registrations whose rows went.
void ForgetRemovedContents(Catalog& catalog);
// Before a title's rows take a new title, or go: their fingerprints and verifications
// follow them.
void RenameContents(Catalog& catalog, const std::string& title, const std::string& newTitle);
void RemoveContents(Catalog& catalog, const std::string& title);

// A registration's last verification (OrbiskVerifications): when (seconds since 1970-01-01
// 00:00 UTC) and how many files came to each verdict. It belongs to the registration's
// record and goes, or takes a new title, with it.
struct VerificationRecord {
    std::int64_t when = 0;
    VerificationCounts counts;
};
void StoreVerification(Catalog& catalog, const DiscRecord& record,
                       const VerificationRecord& verification);
std::optional<VerificationRecord> ReadVerification(Catalog& catalog, const DiscRecord& record);

// A registration's files as a verification compares them: each file row from the record's
// first to its last that still bears its title, with its packed files (their ids, places
// and listed sizes) and the fingerprints still tied to them. Sizes and dates are the ones
// the registration kept (keptFacts), where they still belong to the row; a row without them
// has none and is compared by its content alone.
struct RegisteredRow {
    std::int64_t row = 0;
    std::string path; // as stored, the drive's folder included
    std::optional<FileFacts> facts;
    std::optional<ContentFingerprint> content;
    struct Member {
        std::int64_t id = 0;
        std::uint64_t place = 0;
        std::string path;
        std::optional<std::uint64_t> bytes;
        std::optional<ContentFingerprint> content;
    };
    std::vector<Member> members;
};
std::vector<RegisteredRow> ReadRegisteredRows(Catalog& catalog, const DiscRecord& record,
                                              std::string_view keptFacts);

} // namespace orbisk
