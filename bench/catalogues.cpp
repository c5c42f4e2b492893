#include "catalogues.h"

#include "bench_support.h"
#include "catalog/catalog.h"
#include "catalog/disc_rows.h"
#include "catalog/row_reader.h"

#include <cstdio>
#include <fstream>
#include <sqlite3.h>

namespace orbisk::bench {

std::filesystem::path freshCatalog(const std::string& name) {
    const auto file = dataFolder() / name;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(file.string() + suffix);
    }
    Catalog::create(file);
    return file;
}

std::vector<FileRow> sampleRows(int count) {
    std::vector<FileRow> rows;
    for (int i = 0; i < count; ++i) {
        const std::string name = "file_" + std::to_string(i) + ".dat";
        rows.push_back({"/media/cdrom0/group" + std::to_string(i / 1000) + "/folder " +
                            std::to_string(i / 20) + "/" + name,
                        "BENCH", name, "dat", "0", "2026-12-07"});
    }
    return rows;
}

void storeInOneTransaction(const std::filesystem::path& file, const std::vector<FileRow>& rows) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = NORMAL; Begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "Insert Into MediaTable Values (?1, ?2, ?3, ?4, ?5, ?6)", -1, &insert,
                       nullptr);
    for (const FileRow& row : rows) {
        const std::string* values[] = {&row.path,      &row.title, &row.name,
                                       &row.extension, &row.size,  &row.date};
        for (int c = 0; c < 6; ++c) {
            sqlite3_bind_text(insert, c + 1, values[c]->data(), static_cast<int>(values[c]->size()),
                              SQLITE_STATIC);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "Commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

namespace {

// Makes the catalogue at folder/Orbisk.mdb in slices of a million rows, so that ten
// million never sit in memory at once; row(i) gives row i.
template <class MakeRow>
std::filesystem::path madeOnce(const std::string& folder, int rowCount, MakeRow makeRow) {
    const auto file = dataFolder() / folder / Catalog::FileName;
    if (std::filesystem::exists(file)) {
        return file;
    }
    std::filesystem::create_directories(file.parent_path());
    const auto building = dataFolder() / folder / "building.mdb";
    std::filesystem::remove(building);
    Catalog::create(building);
    constexpr int Slice = 1000000;
    for (int start = 0; start < rowCount; start += Slice) {
        std::vector<FileRow> rows;
        rows.reserve(Slice);
        for (int i = start; i < std::min(rowCount, start + Slice); ++i) {
            rows.push_back(makeRow(i));
        }
        storeInOneTransaction(building, rows);
    }
    std::filesystem::rename(building, file);
    return file;
}

} // namespace

std::filesystem::path searchCatalog(int rowCount, const std::string& folder) {
    return madeOnce(folder, rowCount, [rowCount](int i) {
        std::string name = i % 20 == 0      ? "notes_" + std::to_string(i) + ".txt"
                           : i % 10000 == 5 ? "Report_" + std::to_string(i) + "_2003.doc"
                           : i % 2 == 0     ? "image_" + std::to_string(i) + ".jpg"
                                            : "data_" + std::to_string(i) + ".bin";
        char title[32];
        std::snprintf(title, sizeof title, "Disc %03d", i / (rowCount / 100) + 1);
        return FileRow{"/media/cdrom0/folder" + std::to_string(i % 500) + "/" + name,
                       title,
                       name,
                       "",
                       "12",
                       "2026-12-07"};
    });
}

std::filesystem::path japaneseCatalog() {
    static const std::vector<std::string> words = {
        "写真",   "資料",   "テスト", "ﾃｽﾄ",    "ガイド", "ｶﾞｲﾄﾞ", "カ\u3099イト\u3099",
        "てすと", "報告書", "ＡＢＣ", "ａｂｃ", "第２版", "旅行",  "ﾘｽﾄ",
        "リスト", "議事録", "mix",    "Readme", "図面",   "ﾊﾟｿｺﾝ"};
    return madeOnce("japanese", 1000000, [](int i) {
        const auto word = [i](int k) { return words[static_cast<std::size_t>((i / k) % 20)]; };
        const std::string name =
            word(1) + "_" + word(7) + std::to_string(i % 1000) + (i % 3 == 0 ? ".jpg" : ".txt");
        return FileRow{
            "/media/cdrom0/" + word(13) + "/" + name, "ディスク", name, "", "1", "2026-12-07"};
    });
}

std::filesystem::path browseCatalog() {
    return madeOnce("browse", 1000000, [](int i) {
        const int disc = i / 100000;
        const int folder = i % 100000 / 20;
        const std::string name = "file_" + std::to_string(i) + ".dat";
        return FileRow{"/media/cdrom0/group" + std::to_string(folder / 50) + "/folder " +
                           std::to_string(folder) + "/" + name,
                       "Disc " + std::to_string(disc),
                       name,
                       "dat",
                       "12",
                       "2026-12-07"};
    });
}

std::filesystem::path pathList(const std::filesystem::path& catalog) {
    const auto list = catalog.parent_path() / "paths.txt";
    if (std::filesystem::exists(list)) {
        return list;
    }
    const auto unsorted = catalog.parent_path() / "paths.unsorted";
    {
        std::ofstream out(unsorted, std::ios::binary);
        Catalog opened(catalog);
        const std::string drive = "/media/cdrom0";
        ExportRows(opened, std::nullopt, [&](const std::vector<std::string>& row) {
            if (row[6].empty()) {
                out << '/' << row[1] << std::string_view(row[0]).substr(drive.size()) << '\n';
            }
            return true;
        });
    }
    commandSeconds("LC_ALL=C sort -o '" + list.string() + "' '" + unsorted.string() + "'");
    std::filesystem::remove(unsorted);
    return list;
}

} // namespace orbisk::bench
