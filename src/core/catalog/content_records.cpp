#include "catalog/content_records.h"

#include "catalog/connection.h"
#include "catalog/packed_files.h"
#include "catalog/tie_field.h"
#include "media/disc_identity.h"
#include "sqlite/function_arguments.h"
#include "text/byte_codes.h"

namespace orbisk {

namespace {

// A file row with its fingerprint's check: the row is the fingerprint's while it agrees.
constexpr const char* TiedRows =
    "OrbiskContents c Join MediaTable t On t.rowid = c.file_row "
    "And c.tie = content_tie(t.ファイルパス, t.メディア名, t.サイズ, t.登録日)";

void contentTie(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_result_int64(context, ContentTie(sqlite::ArgumentText(arguments[0]),
                                             sqlite::ArgumentText(arguments[1]),
                                             sqlite::ArgumentText(arguments[2]),
                                             sqlite::ArgumentText(arguments[3])));
}

bool hasContents(Catalog& catalog) {
    return HasTable(catalog, "OrbiskContents");
}

bool hasVerifications(Catalog& catalog) {
    return HasTable(catalog, "OrbiskVerifications");
}

std::optional<ContentFingerprint> contentOf(const sqlite::Statement& row, int column) {
    if (row.isNull(column)) {
        return std::nullopt;
    }
    const std::string bytes = row.blob(column);
    return ContentFingerprint::fromBytes(bytes.data(), bytes.size());
}

std::string blobOf(const ContentFingerprint& content) {
    const auto bytes = content.bytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace

std::int64_t ContentTie(std::string_view path, std::string_view title, std::string_view size,
                        std::string_view date) {
    return static_cast<std::int64_t>(AddTieField(
        AddTieField(AddTieField(AddTieField(0xBB67AE8584CAA73BULL, path), title), size), date));
}

void RegisterContentTie(sqlite3* db) {
    sqlite3_create_function_v2(db, "content_tie", 4,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               contentTie, nullptr, nullptr, nullptr);
}

namespace {

sqlite::Statement contentInsert(Catalog& catalog, bool packed) {
    // A packed file must still be one of its row's.
    return Connection(catalog).prepare(
        std::string("Insert Or Replace Into OrbiskContents (file_row, member, tie, content) "
                    "Select t.rowid, ?2, content_tie(t.ファイルパス, t.メディア名, t.サイズ, "
                    "t.登録日), ?3 From MediaTable t Where t.rowid = ?1") +
            (packed ? " And Exists (Select 1 From OrbiskMembers m Where m.member = ?2 "
                      "And m.file_row = ?1)"
                    : ""),
        true);
}

sqlite::Statement makeContents(Catalog& catalog) {
    Connection(catalog).exec("Create Table If Not Exists OrbiskContents ("
                             "file_row Integer Not Null, member Integer Not Null, "
                             "tie Integer Not Null, content Blob Not Null, "
                             "Primary Key (file_row, member)) Without Rowid");
    return contentInsert(catalog, false);
}

} // namespace

ContentWriter::ContentWriter(Catalog& catalog) : file_(makeContents(catalog)) {
    if (HasPackedFiles(catalog)) {
        member_ = contentInsert(catalog, true);
    }
}

void ContentWriter::store(const StoredContent& stored) {
    sqlite::Statement* insert = stored.member == 0 ? &file_ : member_ ? &*member_ : nullptr;
    if (insert == nullptr) {
        return;
    }
    // The statement reads the bytes when it runs: they must outlive the binding.
    const std::string content = blobOf(stored.content);
    insert->bind(1, stored.fileRow).bind(2, stored.member).bindBlob(3, content);
    insert->run();
}

void StoreContent(Catalog& catalog, const StoredContent& stored) {
    ContentWriter(catalog).store(stored);
}

std::vector<StoredContent> ReadContents(Catalog& catalog,
                                        std::optional<std::pair<std::int64_t, std::int64_t>> rows) {
    std::vector<StoredContent> contents;
    if (!hasContents(catalog)) {
        return contents;
    }
    // A packed file's fingerprint is read only while the packed file is still its row's.
    const std::string members =
        HasPackedFiles(catalog)
            ? "(c.member = 0 Or Exists (Select 1 From OrbiskMembers m Where m.member = c.member "
              "And m.file_row = c.file_row))"
            : "c.member = 0";
    auto read = Connection(catalog).prepare(
        std::string("Select c.file_row, c.member, c.content From ") + TiedRows + " Where " +
        members + (rows ? " And c.file_row Between ?1 And ?2" : "") +
        " Order By c.file_row, c.member");
    if (rows) {
        read.bind(1, rows->first).bind(2, rows->second);
    }
    while (read.step()) {
        if (const auto content = contentOf(read, 2)) {
            contents.push_back({read.integer(0), read.integer(1), *content});
        }
    }
    return contents;
}

void ForgetRemovedContents(Catalog& catalog) {
    if (hasContents(catalog)) {
        Connection(catalog).exec("Delete From OrbiskContents Where file_row > "
                                 "(Select Coalesce(Max(rowid), 0) From MediaTable)");
    }
    // A registration stored next may take a removed one's id and rows, under its title.
    if (hasVerifications(catalog)) {
        Connection(catalog).exec("Delete From OrbiskVerifications Where last_row > "
                                 "(Select Coalesce(Max(rowid), 0) From MediaTable)");
    }
}

void RenameContents(Catalog& catalog, const std::string& title, const std::string& newTitle) {
    if (hasVerifications(catalog)) {
        Connection(catalog)
            .prepare("Update OrbiskVerifications Set title = ?2 Where title = ?1")
            .bind(1, title)
            .bind(2, newTitle)
            .run();
    }
    if (!hasContents(catalog)) {
        return;
    }
    // Only fingerprints still tied to their rows are tied again under the new title.
    Connection(catalog)
        .prepare("Update OrbiskContents As c Set tie = content_tie(t.ファイルパス, ?2, "
                 "t.サイズ, t.登録日) From MediaTable t Where t.rowid = c.file_row "
                 "And t.メディア名 = ?1 "
                 "And c.tie = content_tie(t.ファイルパス, t.メディア名, t.サイズ, t.登録日)")
        .bind(1, title)
        .bind(2, newTitle)
        .run();
}

void RemoveContents(Catalog& catalog, const std::string& title) {
    if (hasVerifications(catalog)) {
        Connection(catalog)
            .prepare("Delete From OrbiskVerifications Where title = ?1")
            .bind(1, title)
            .run();
    }
    if (hasContents(catalog)) {
        Connection(catalog)
            .prepare("Delete From OrbiskContents Where file_row In "
                     "(Select rowid From MediaTable Where メディア名 = ?1)")
            .bind(1, title)
            .run();
    }
}

void StoreVerification(Catalog& catalog, const DiscRecord& record,
                       const VerificationRecord& verification) {
    Connection(catalog).exec(
        "Create Table If Not Exists OrbiskVerifications ("
        "registration Integer Primary Key, title Text, first_row Integer, last_row Integer, "
        "verified Integer, same Integer, changed Integer, unreadable Integer, missing Integer, "
        "unlisted Integer, cancelled Integer)");
    const VerificationCounts& counts = verification.counts;
    auto insert = Connection(catalog).prepare(
        "Insert Or Replace Into OrbiskVerifications (registration, title, first_row, last_row, "
        "verified, same, changed, unreadable, missing, unlisted, cancelled) "
        "Values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    insert.bind(1, record.registration).bind(2, record.title);
    insert.bind(3, record.firstRow).bind(4, record.lastRow).bind(5, verification.when);
    int column = 6;
    for (const std::uint64_t count : {counts.same, counts.changed, counts.unreadable,
                                      counts.missing, counts.unlisted, counts.cancelled}) {
        insert.bind(column++, static_cast<std::int64_t>(count));
    }
    insert.run();
}

std::optional<VerificationRecord> ReadVerification(Catalog& catalog, const DiscRecord& record) {
    if (!hasVerifications(catalog)) {
        return std::nullopt;
    }
    // The record's registration id may have passed to another registration since: the
    // verification is the record's only while it names the same title and rows.
    auto row = Connection(catalog).prepare(
        "Select verified, same, changed, unreadable, missing, unlisted, cancelled "
        "From OrbiskVerifications Where registration = ?1 And title = ?2 And first_row = ?3 "
        "And last_row = ?4");
    row.bind(1, record.registration).bind(2, record.title);
    row.bind(3, record.firstRow).bind(4, record.lastRow);
    if (!row.step()) {
        return std::nullopt;
    }
    auto count = [&row](int column) { return static_cast<std::uint64_t>(row.integer(column)); };
    VerificationRecord verification;
    verification.when = row.integer(0);
    verification.counts = {count(1), count(2), count(3), count(4), count(5), count(6)};
    return verification;
}

std::vector<RegisteredRow> ReadRegisteredRows(Catalog& catalog, const DiscRecord& record,
                                              std::string_view keptFacts) {
    std::vector<RegisteredRow> rows;
    const auto kept = UnpackKeptFacts(keptFacts);
    auto files = Connection(catalog).prepare("Select rowid, ファイルパス From MediaTable Where "
                                             "rowid Between ?1 And ?2 And メディア名 = ?3 "
                                             "Order By rowid");
    files.bind(1, record.firstRow).bind(2, record.lastRow).bind(3, record.title);
    while (files.step()) {
        RegisteredRow row;
        row.row = files.integer(0);
        row.path = files.text(1);
        // The registration kept its files' facts in the order of their rows, one a row.
        const auto index = static_cast<std::size_t>(row.row - record.firstRow);
        if (kept && index < kept->size() && (*kept)[index].pathCheck == PathCheck(row.path)) {
            row.facts = (*kept)[index].facts;
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty()) {
        return rows;
    }
    auto byRow = [&rows](std::int64_t id) {
        const auto found = std::lower_bound(
            rows.begin(), rows.end(), id,
            [](const RegisteredRow& row, std::int64_t value) { return row.row < value; });
        return found != rows.end() && found->row == id ? &*found : nullptr;
    };
    if (HasPackedFiles(catalog)) {
        const PackedFileRows packed = JoinPackedFiles(catalog);
        // A packed file without its place in the archive (stored before places were kept)
        // cannot be told from another of the same path: its archive is compared whole.
        auto members = Connection(catalog).prepare(
            "Select m.file_row, m.member, " + packed.ordinal + ", m.path, m.bytes From " +
            packed.from + " Where m.file_row Between ?1 And ?2 And t.メディア名 = ?3 " +
            "Order By m.file_row, m.member");
        members.bind(1, record.firstRow).bind(2, record.lastRow).bind(3, record.title);
        while (members.step()) {
            RegisteredRow* row = byRow(members.integer(0));
            if (row == nullptr || members.integer(2) < 0) {
                continue;
            }
            RegisteredRow::Member member;
            member.id = members.integer(1);
            member.place = static_cast<std::uint64_t>(members.integer(2));
            member.path = members.text(3);
            if (!members.isNull(4) && members.integer(4) >= 0) {
                member.bytes = static_cast<std::uint64_t>(members.integer(4));
            }
            row->members.push_back(std::move(member));
        }
    }
    for (const StoredContent& stored :
         ReadContents(catalog, std::pair(rows.front().row, rows.back().row))) {
        RegisteredRow* row = byRow(stored.fileRow);
        if (row == nullptr) {
            continue;
        }
        if (stored.member == 0) {
            row->content = stored.content;
            continue;
        }
        for (auto& member : row->members) {
            if (member.id == stored.member) {
                member.content = stored.content;
            }
        }
    }
    return rows;
}

} // namespace orbisk
