// The program's speed against plain anchors measured in the same run. Prints Google
// Benchmark's table, then one summary line per figure: NAME: FIGURE UNIT (RATIO× ANCHOR),
// RATIO being the program's time over the anchor's for the same work.
#include "app/application.h"
#include "bench_support.h"
#include "catalog/catalog.h"
#include "catalog/comparisons.h"
#include "copy/copy_command.h"
#include "copy/copy_log.h"
#include "copy/form2.h"
#include "media/folder_walk.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/locale_number_format.h"
#include "platform/linux/system_clock.h"
#include "registration/register_command.h"
#include "search/search_command.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <unistd.h>

namespace orbisk::bench {
namespace {

constexpr int TreeFiles = 100000;
constexpr int TreeFolders = 5000;
constexpr int CatalogRows = 1000000;
constexpr int CopyFiles = 2000;

QuietTray tray;
QuietDialogs dialogs;
QuietEvents events;
LinuxFileSystem files;
SystemClock systemClock;

Platform quietPlatform(const NumberFormat& numbers) {
    return {files, tray, dialogs, events, systemClock, numbers};
}

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

// The catalogue the searches read: a million rows over a hundred titles, one name in
// twenty a text file, one in ten thousand a 2003 report.
std::filesystem::path searchCatalog() {
    const auto file = dataFolder() / "search" / Catalog::FileName;
    if (std::filesystem::exists(file)) {
        return file;
    }
    std::filesystem::create_directories(file.parent_path());
    Catalog::create(file);
    std::vector<FileRow> rows;
    rows.reserve(CatalogRows);
    for (int i = 0; i < CatalogRows; ++i) {
        std::string name = i % 20 == 0      ? "notes_" + std::to_string(i) + ".txt"
                           : i % 10000 == 5 ? "Report_" + std::to_string(i) + "_2003.doc"
                           : i % 2 == 0     ? "image_" + std::to_string(i) + ".jpg"
                                            : "data_" + std::to_string(i) + ".bin";
        char title[16];
        std::snprintf(title, sizeof title, "Disc %03d", i / (CatalogRows / 100) + 1);
        rows.push_back({"/media/cdrom0/folder" + std::to_string(i % 500) + "/" + name, title, name,
                        "", "12", "2026-12-07"});
    }
    storeInOneTransaction(file, rows);
    return file;
}

// The anchor's matcher: "*" and "?", ASCII letter case ignored.
bool simpleMatch(const char* pattern, const char* text) {
    for (; *pattern != '\0'; ++pattern, ++text) {
        if (*pattern == '*') {
            for (; *text != '\0'; ++text) {
                if (simpleMatch(pattern + 1, text)) {
                    return true;
                }
            }
            return simpleMatch(pattern + 1, text);
        }
        if (*text == '\0' || (*pattern != '?' && std::tolower(*pattern) != std::tolower(*text))) {
            return false;
        }
    }
    return *text == '\0';
}

std::vector<std::string> catalogNames(const std::filesystem::path& file) {
    std::vector<std::string> names;
    Catalog(file).findFiles("*", std::nullopt, [&](CatalogHit&& hit) {
        names.push_back(std::move(hit.name));
        return true;
    });
    return names;
}

void memoryScan(benchmark::State& state, const std::vector<std::string>& names, const char* key) {
    for (auto _ : state) {
        std::vector<std::size_t> hits;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (simpleMatch(key, names[i].c_str())) {
                hits.push_back(i);
            }
        }
        benchmark::DoNotOptimize(hits);
    }
}

long likeScan(const std::filesystem::path& file, bool ours, const char* pattern) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (ours) {
        registerComparisons(db);
    }
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "Select Count(*) From MediaTable Where ファイル名 like ?1", -1,
                       &statement, nullptr);
    sqlite3_bind_text(statement, 1, pattern, -1, SQLITE_STATIC);
    sqlite3_step(statement);
    const long count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

// Forwards the search's list to a real copy window, without showing it.
struct ListOnly : HitListWindow, HitListView {
    HitListView* window = nullptr;
    HitListView& hitList() override { return *this; }
    void clearList() override { window->clearList(); }
    void appendLines(const std::vector<std::string>& lines) override { window->appendLines(lines); }
    void setCaption(const std::string& caption) override { window->setCaption(caption); }
    void showModal() override {}
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            for (const auto& [name, counter] : run.counters) {
                seconds[run.run_name.function_name + "/" + name] = counter.value;
            }
            seconds[run.run_name.function_name] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
};

} // namespace
} // namespace orbisk::bench

int main(int argc, char** argv) {
    using namespace orbisk;
    using namespace orbisk::bench;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const LocaleNumberFormat numbers;

    std::printf("Preparing data in %s ...\n", dataFolder().c_str());
    std::fflush(stdout);
    const auto tree = fileTree("tree", TreeFiles, TreeFolders, 0);
    const auto copySource = fileTree("copy-source", CopyFiles, 1, 100 * 1024);
    const auto catalog = searchCatalog();
    const auto names = catalogNames(catalog);
    const auto rows = sampleRows(TreeFiles);
    std::string warm = "find '" + tree.string() + "' '" + copySource.string() +
                       "' -type f -exec cat {} + > /dev/null";
    commandSeconds(warm);

    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("store-rows/orbisk",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         state.PauseTiming();
                                         const auto file = freshCatalog("store.mdb");
                                         state.ResumeTiming();
                                         // As a registration stores its rows: one
                                         // statement each, all in one transaction.
                                         Catalog writer(file, Catalog::Access::Write);
                                         Catalog::Transaction registration(writer);
                                         for (const FileRow& row : rows) {
                                             writer.storeFileRow(row);
                                         }
                                         registration.commit();
                                     }
                                 })
        ->Iterations(5)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("store-rows/one-transaction",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         state.PauseTiming();
                                         const auto file = freshCatalog("store.mdb");
                                         state.ResumeTiming();
                                         storeInOneTransaction(file, rows);
                                     }
                                 })
        ->Iterations(10)
        ->Unit(ms)
        ->UseRealTime();

    benchmark::RegisterBenchmark(
        "walk/orbisk",
        [&](benchmark::State& state) {
            for (auto _ : state) {
                PathArray paths;
                SkippedFolders skipped;
                CollectFiles({files, events, dialogs}, files.walkPattern(tree.string()), true,
                             paths, skipped);
                if (paths.count() != TreeFiles) {
                    state.SkipWithError(
                        ("the walk found " + std::to_string(paths.count()) + " files").c_str());
                }
            }
        })
        ->Iterations(10)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("walk/find",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         commandSeconds("find '" + tree.string() +
                                                        "' -type f > /dev/null");
                                     }
                                 })
        ->Iterations(10)
        ->Unit(ms)
        ->UseRealTime();

    benchmark::RegisterBenchmark("register/orbisk",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         state.PauseTiming();
                                         const auto file = freshCatalog("register.mdb");
                                         QuietRegisterView view;
                                         view.drive = tree.string();
                                         state.ResumeTiming();
                                         RegisterCommand(quietPlatform(numbers), view, file).run();
                                     }
                                 })
        ->Iterations(3)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("register/find+one-transaction",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         state.PauseTiming();
                                         const auto file = freshCatalog("register.mdb");
                                         state.ResumeTiming();
                                         commandSeconds("find '" + tree.string() +
                                                        "' -type f > /dev/null");
                                         storeInOneTransaction(file, rows);
                                     }
                                 })
        ->Iterations(3)
        ->Unit(ms)
        ->UseRealTime();

    benchmark::RegisterBenchmark("search-selective/orbisk",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         HitTable hits;
                                         QuietInputs inputs;
                                         inputs.keyText = "*report*2003*";
                                         RecordedList list;
                                         SearchCommand(hits, inputs, list, dialogs, catalog).run();
                                         state.counters["hits"] =
                                             static_cast<double>(list.lines.size());
                                     }
                                 })
        ->Iterations(10)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark(
        "search-selective/in-memory",
        [&](benchmark::State& state) { memoryScan(state, names, "*report*2003*"); })
        ->Iterations(10)
        ->Unit(ms)
        ->UseRealTime();

    Session session{quietPlatform(numbers), catalog, {}};
    WindowHub windows(session);
    benchmark::RegisterBenchmark(
        "search-broad/orbisk",
        [&](benchmark::State& state) {
            for (auto _ : state) {
                ListOnly list;
                list.window = &windows.hitList();
                QuietInputs inputs;
                inputs.keyText = "*.txt";
                SearchCommand(session.hits, inputs, list, dialogs, catalog).run();
                state.counters["hits"] = session.hits.HitCount;
            }
        })
        ->Iterations(5)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark(
        "search-broad/in-memory",
        [&](benchmark::State& state) { memoryScan(state, names, "*.txt"); })
        ->Iterations(5)
        ->Unit(ms)
        ->UseRealTime();

    benchmark::RegisterBenchmark("like-scan/orbisk",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(
                                             likeScan(catalog, true, "*report*2003*"));
                                     }
                                 })
        ->Iterations(15)
        ->Unit(ms)
        ->UseRealTime();
    benchmark::RegisterBenchmark("like-scan/built-in",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(
                                             likeScan(catalog, false, "%report%2003%"));
                                     }
                                 })
        ->Iterations(15)
        ->Unit(ms)
        ->UseRealTime();

    // The check a registration makes before it writes into the catalogue.
    benchmark::RegisterBenchmark("catalog-check",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state) {
                                         Catalog(catalog, Catalog::Access::Write).checkIntact();
                                     }
                                 })
        ->Iterations(5)
        ->Unit(ms)
        ->UseRealTime();

    HitTable copyHits;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(copySource)) {
        if (entry.is_regular_file()) {
            copyHits.rows.push_back(
                {entry.path().string(), entry.path().filename().string(), "BENCH"});
        }
    }
    // COPY and cp take turns, each starting from an empty folder and a flushed disk, so
    // the disk's own moods fall on both alike.
    const auto target = dataFolder() / "copy-target";
    benchmark::RegisterBenchmark(
        "copy/orbisk-and-cp",
        [&](benchmark::State& state) {
            double ours = 0;
            double cp = 0;
            for (auto _ : state) {
                for (int turn = 0; turn < 2; ++turn) {
                    std::filesystem::remove_all(target);
                    std::filesystem::create_directories(target);
                    sync();
                    if ((turn + state.iterations()) % 2 == 0) {
                        std::filesystem::remove(target);
                        cp += commandSeconds("cp -r '" + copySource.string() + "' '" +
                                             target.string() + "'");
                        continue;
                    }
                    AllMarkedWindow window;
                    window.count = static_cast<std::int32_t>(copyHits.rows.size() - 1);
                    window.folder = target.string();
                    QuietReport report;
                    const auto start = std::chrono::steady_clock::now();
                    CopyCommand(quietPlatform(numbers), copyHits, window, report).run();
                    ours += std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                                .count();
                }
            }
            state.counters["orbisk"] = ours / static_cast<double>(state.iterations());
            state.counters["cp"] = cp / static_cast<double>(state.iterations());
        })
        ->Iterations(4)
        ->Unit(ms)
        ->UseRealTime();

    // The log grows by appending: an entry costs the same whether it is the thousandth
    // or the ten-thousandth.
    const auto buildLog = [&](benchmark::State& state, int entries) {
        const std::string path = copyHits.rows.back().HitPath;
        for (auto _ : state) {
            CopyLog log;
            for (int i = 0; i < entries; ++i) {
                log.add(path, CopiedMarker);
            }
            benchmark::DoNotOptimize(log.text().data());
        }
    };
    benchmark::RegisterBenchmark("copy-log/1000",
                                 [&](benchmark::State& state) { buildLog(state, 1000); })
        ->Iterations(2000)
        ->UseRealTime();
    benchmark::RegisterBenchmark("copy-log/10000",
                                 [&](benchmark::State& state) { buildLog(state, 10000); })
        ->Iterations(200)
        ->UseRealTime();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // One line per figure whose two benchmarks ran (a filter may leave some out).
    struct Figure {
        const char* name;
        const char* ours;
        const char* anchor;
        const char* anchorName;
        double work; // items per run, or 0 for a time in ms
        const char* unit;
    };
    const Figure figures[] = {
        {"store-rows", "store-rows/orbisk", "store-rows/one-transaction", "one transaction",
         TreeFiles, "rows/s"},
        {"walk", "walk/orbisk", "walk/find", "find", TreeFiles, "files/s"},
        {"register", "register/orbisk", "register/find+one-transaction", "find + one transaction",
         TreeFiles, "files/s"},
        {"search-selective", "search-selective/orbisk", "search-selective/in-memory",
         "in-memory scan", 0, "ms"},
        {"search-broad", "search-broad/orbisk", "search-broad/in-memory", "in-memory scan", 0,
         "ms"},
        {"like-scan", "like-scan/orbisk", "like-scan/built-in", "built-in LIKE", 0, "ms"},
        {"catalog-check", "catalog-check", "like-scan/built-in", "a scan of every name", 0, "ms"},
        {"copy", "copy/orbisk-and-cp/orbisk", "copy/orbisk-and-cp/cp", "cp -r", CopyFiles,
         "files/s"},
    };
    const auto& s = reporter.seconds;
    std::printf("\n");
    for (const Figure& f : figures) {
        if (s.count(f.ours) != 0 && s.count(f.anchor) != 0) {
            const double ours = s.at(f.ours);
            std::printf("%s: %.0f %s (%.2f× %s)\n", f.name, f.work > 0 ? f.work / ours : ours * 1e3,
                        f.unit, ours / s.at(f.anchor), f.anchorName);
        }
    }
    if (s.count("copy-log/1000") != 0 && s.count("copy-log/10000") != 0) {
        const double perEntry = s.at("copy-log/10000") / 10000;
        std::printf("copy-log: %.0f ns/entry at 10,000 entries (%.2f× per entry at 1,000)\n",
                    perEntry * 1e9, perEntry / (s.at("copy-log/1000") / 1000));
    }
    return 0;
}
