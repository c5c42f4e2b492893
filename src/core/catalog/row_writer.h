#pragma once

#include "archive/archive_reader.h"
#include "catalog/catalog.h"
#include "catalog/content_records.h"
#include "content/content_fingerprint.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orbisk {

// One MediaTable row as the registration writes it.
struct FileRow {
    std::string path;
    std::string title;
    std::string name;
    std::string extension;
    std::string size;
    std::string date; // YYYY-MM-DD
};

// Writes a registration's rows into a catalogue open for writing: each file row by its
// own statement, the files packed in its archives, then the title row.
class RowWriter {
public:
    // Before any row is stored, the packed files of rows that another program removed are
    // removed too, so that none can pass to the rows about to take the removed rows' ids.
    explicit RowWriter(Catalog& catalog);

    // The row's id in the catalogue.
    std::int64_t storeFileRow(const FileRow& row);
    void storeTitle(const std::string& title);
    // A file packed in the archive of file row archiveRow (stored as archive), in a table of
    // its own (OrbiskMembers), made with the first member a catalogue gets.
    // Returns the packed file's id.
    std::int64_t storeMember(std::int64_t archiveRow, const FileRow& archive,
                             const ArchiveMember& member);
    // The content fingerprint read of a file row stored, or of a packed file of it.
    void storeContent(std::int64_t row, std::int64_t member, const ContentFingerprint& content);

private:
    Catalog& catalog_;
    sqlite::Statement insertFile_;
    std::optional<sqlite::Statement> insertMember_;
    // Made with the first fingerprint, after the packed files' table if there is one.
    std::unique_ptr<ContentWriter> contents_;
    bool contentsSeeMembers_ = false;
    std::int64_t tiedRow_ = 0;
    std::int64_t tie_ = 0;
};

} // namespace orbisk
