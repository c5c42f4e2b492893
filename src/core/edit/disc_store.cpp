#include "edit/disc_store.h"

#include "catalog/catalog.h"
#include "catalog/disc_records.h"
#include "catalog/packed_files.h"
#include "catalog/title_list.h"
#include "media/path_cuts.h"
#include "registration/size_text.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace orbisk {

std::int64_t KilobytesOf(std::string_view sizeText) {
    std::int64_t value = 0;
    for (const char c : sizeText) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

std::vector<std::string> ReadDiscTitles(const std::filesystem::path& catalogFile) {
    std::vector<std::string> distinct;
    std::unordered_set<std::string> seen;
    for (std::string& title : ReadTitles(catalogFile)) {
        if (seen.insert(title).second) {
            distinct.push_back(std::move(title));
        }
    }
    return distinct;
}

std::vector<DiscFigures> ReadDiscFigures(const std::filesystem::path& catalogFile,
                                         const std::function<bool()>& keepGoing) {
    Catalog catalog(catalogFile);
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    std::vector<DiscFigures> discs;
    std::unordered_map<std::string, std::size_t> byTitle;
    const auto discOf = [&](std::string_view title) -> DiscFigures& {
        const auto [at, added] = byTitle.try_emplace(std::string(title), discs.size());
        if (added) {
            discs.push_back({std::string(title), {}, 0, 0, 0, {}});
        }
        return discs[at->second];
    };
    auto titleRows = catalog.db().prepare("Select メディア名 From MediaName");
    while (titleRows.step()) {
        if (!titleRows.isNull(0)) {
            ++discOf(titleRows.view(0)).registrations;
        }
    }
    auto fileRows = catalog.db().prepare("Select メディア名, サイズ, 登録日 From MediaTable");
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
        if (record.volume && byTitle.count(record.title) != 0) {
            discs[byTitle.at(record.title)].label = record.volume->label;
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
    auto rows = catalog.db().prepare("Select ファイルパス, ファイル名, サイズ, 登録日 "
                                     "From MediaTable Where メディア名 = ?1");
    rows.bind(1, title);
    std::vector<DiscFile> files;
    while (rows.step()) {
        files.push_back({rows.text(0), rows.text(1), KilobytesOf(rows.view(2)), rows.text(3)});
    }
    if (catalog.hasTable("OrbiskMembers")) {
        auto members = catalog.db().prepare(
            "Select t.ファイルパス, m.path, m.name, m.bytes, t.登録日 From " +
            JoinPackedFiles(catalog).from + " Where t.メディア名 = ?1 Order By m.member");
        members.bind(1, title);
        while (members.step()) {
            files.push_back({members.text(0) + "/" + members.text(1), members.text(2),
                             static_cast<std::int64_t>(
                                 Kilobytes(static_cast<std::uint64_t>(members.integer(3)))),
                             members.text(4)});
        }
    }
    return files;
}

std::optional<MessageLines> WhyUnchangeable(const std::filesystem::path& catalogFile) {
    try {
        Catalog(catalogFile, Catalog::Access::Write);
    } catch (const std::exception& error) {
        return Then({{MessageId::CatalogUnchangeable, {}}}, ReasonOf(error));
    }
    return std::nullopt;
}

std::int64_t CountDiscFiles(Catalog& catalog, const std::string& title) {
    auto count = catalog.db().prepare("Select Count(*) From MediaTable Where メディア名 = ?1");
    count.bind(1, title).step();
    return count.integer(0);
}

void ExportRows(Catalog& catalog, const std::optional<std::string>& title,
                const std::function<bool(const std::vector<std::string>& row)>& onRow) {
    auto rows = catalog.db().prepare(
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
    if (!catalog.hasTable("OrbiskMembers")) {
        return;
    }
    auto members = catalog.db().prepare(
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
    for (const char* sql : {"Update MediaTable Set メディア名 = ?2 Where メディア名 = ?1",
                            "Update MediaName Set メディア名 = ?2 Where メディア名 = ?1"}) {
        catalog.db().prepare(sql).bind(1, title).bind(2, newTitle).run();
    }
    RenameDiscRecords(catalog, title, newTitle);
    rename.commit();
    catalog.settle();
}

void RemoveDisc(Catalog& catalog, const std::string& title) {
    Catalog::Transaction removal(catalog);
    // The files packed in the disc's archives go with the archives.
    if (catalog.hasTable("OrbiskMembers")) {
        catalog.db()
            .prepare("Delete From OrbiskMembers Where file_row In "
                     "(Select rowid From MediaTable Where メディア名 = ?1)")
            .bind(1, title)
            .run();
    }
    for (const char* sql : {"Delete From MediaTable Where メディア名 = ?1",
                            "Delete From MediaName Where メディア名 = ?1"}) {
        catalog.db().prepare(sql).bind(1, title).run();
    }
    RemoveDiscRecords(catalog, title);
    removal.commit();
    catalog.settle();
}

} // namespace orbisk
