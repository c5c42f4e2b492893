#include "catalog/disc_rows.h"

#include "catalog/connection.h"
#include "catalog/content_records.h"
#include "catalog/disc_records.h"
#include "catalog/packed_files.h"
#include "catalog/size_text.h"
#include "catalog/title_rows.h"
#include "media/path_cuts.h"

#include <algorithm>
#include <unordered_map>

namespace orbisk {

std::vector<DiscFigures> ReadDiscFigures(const std::filesystem::path& catalogFile,
                                         const std::function<bool()>& keepGoing) {
    Catalog catalog(catalogFile);
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    std::vector<DiscFigures> discs;
    std::unordered_map<std::string, std::size_t> byTitle;
    const auto discOf = [&](std::string_view title) -> DiscFigures& {
        const auto [at, added] = byTitle.try_emplace(std::string(title), discs.size());
        if (added) {
            DiscFigures disc;
            disc.title = title;
            discs.push_back(std::move(disc));
        }
        return discs[at->second];
    };
    for (const std::string& title : ReadTitles(catalog)) {
        ++discOf(title).registrations;
    }
    auto fileRows =
        Connection(catalog).prepare("Select メディア名, サイズ, 登録日 From MediaTable");
    std::int64_t read = 0;
    while (fileRows.step()) {
        DiscFigures& disc = discOf(fileRows.view(0));
        ++disc.files;
        disc.kilobytes += KilobytesOf(fileRows.view(1));
        const std::string_view date = fileRows.view(2);
        if (std::find(disc.dates.begin(), disc.dates.end(), date) == disc.dates.end()) {
            disc.dates.emplace_back(date);
        }
        if (++read % 100000 == 0 && keepGoing && !keepGoing()) {
            return discs;
        }
    }
    for (const DiscRecord& record : ReadDiscRecords(catalog, std::nullopt, false)) {
        const auto at = byTitle.find(record.title);
        if (at == byTitle.end()) {
            continue;
        }
        discs[at->second].drive = record.drive;
        discs[at->second].image = record.image;
        if (record.volume) {
            discs[at->second].label = record.volume->label;
        }
    }
    for (DiscFigures& disc : discs) {
        std::sort(disc.dates.begin(), disc.dates.end());
    }
    return discs;
}

std::vector<DiscFile> ReadDiscFiles(const std::filesystem::path& catalogFile,
                                    const std::string& title) {
    Catalog catalog(catalogFile);
    auto rows =
        Connection(catalog).prepare("Select ファイルパス, ファイル名, サイズ, 登録日, rowid "
                                    "From MediaTable Where メディア名 = ?1");
    rows.bind(1, title);
    std::vector<DiscFile> files;
    while (rows.step()) {
        files.push_back({rows.text(0), rows.text(1), KilobytesOf(rows.view(2)), rows.text(3),
                         rows.integer(4), 0});
    }
    if (HasPackedFiles(catalog)) {
        auto members = Connection(catalog).prepare(
            "Select t.ファイルパス, m.path, m.name, m.bytes, t.登録日, m.file_row, m.member From " +
            JoinPackedFiles(catalog).from + " Where t.メディア名 = ?1 Order By m.member");
        members.bind(1, title);
        while (members.step()) {
            files.push_back({members.text(0) + "/" + members.text(1), members.text(2),
                             static_cast<std::int64_t>(
                                 Kilobytes(static_cast<std::uint64_t>(members.integer(3)))),
                             members.text(4), members.integer(5), members.integer(6)});
        }
    }
    return files;
}

bool IsRegistered(Catalog& catalog, const std::string& title) {
    auto rows =
        Connection(catalog).prepare("Select 1 From MediaName Where メディア名 = ?1 "
                                    "Union All Select 1 From MediaTable Where メディア名 = ?1 "
                                    "Limit 1");
    return rows.bind(1, title).step();
}

std::int64_t CountDiscFiles(Catalog& catalog, const std::string& title) {
    auto count =
        Connection(catalog).prepare("Select Count(*) From MediaTable Where メディア名 = ?1");
    count.bind(1, title).step();
    return count.integer(0);
}

void ExportRows(Catalog& catalog, const std::optional<std::string>& title,
                const std::function<bool(const std::vector<std::string>& row)>& onRow) {
    auto rows = Connection(catalog).prepare(
        title ? "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, 登録日 "
                "From MediaTable Where メディア名 = ?1"
              : "Select ファイルパス, メディア名, ファイル名, 拡張子, サイズ, 登録日 "
                "From MediaTable");
    if (title) {
        rows.bind(1, *title);
    }
    std::vector<std::string> row(7);
    while (rows.step()) {
        for (int column = 0; column < 6; ++column) {
            row[static_cast<std::size_t>(column)] = rows.text(column);
        }
        if (!onRow(row)) {
            rows.reset();
            return;
        }
    }
    if (!HasPackedFiles(catalog)) {
        return;
    }
    auto members = Connection(catalog).prepare(
        "Select t.ファイルパス, t.メディア名, m.name, m.bytes, t.登録日, m.path From " +
        JoinPackedFiles(catalog).from + (title ? " Where t.メディア名 = ?1" : "") +
        " Order By m.member");
    if (title) {
        members.bind(1, *title);
    }
    while (members.step()) {
        row = {members.text(0),
               members.text(1),
               members.text(2),
               GetExtension(members.view(2)),
               std::to_string(Kilobytes(static_cast<std::uint64_t>(members.integer(3)))),
               members.text(4),
               members.text(5)};
        if (!onRow(row)) {
            members.reset();
            return;
        }
    }
}

void RenameDisc(Catalog& catalog, const std::string& title, const std::string& newTitle) {
    Catalog::Transaction rename(catalog);
    RenameContents(catalog, title, newTitle);
    Connection(catalog)
        .prepare("Update MediaTable Set メディア名 = ?2 Where メディア名 = ?1")
        .bind(1, title)
        .bind(2, newTitle)
        .run();
    RenameTitleRows(catalog, title, newTitle);
    RenameDiscRecords(catalog, title, newTitle);
    rename.commit();
    catalog.settle();
}

void RemoveDisc(Catalog& catalog, const std::string& title) {
    Catalog::Transaction removal(catalog);
    RemoveContents(catalog, title);
    // The files packed in the disc's archives go with the archives.
    if (HasPackedFiles(catalog)) {
        Connection(catalog)
            .prepare("Delete From OrbiskMembers Where file_row In "
                     "(Select rowid From MediaTable Where メディア名 = ?1)")
            .bind(1, title)
            .run();
    }
    Connection(catalog)
        .prepare("Delete From MediaTable Where メディア名 = ?1")
        .bind(1, title)
        .run();
    RemoveTitleRows(catalog, title);
    RemoveDiscRecords(catalog, title);
    removal.commit();
    catalog.settle();
}

} // namespace orbisk
