// The program's speed against plain anchors measured in the same run. Prints Google
// Benchmark's table, then one summary line per figure: NAME: FIGURE UNIT (RATIO× ANCHOR),
// RATIO being the program's time over the anchor's for the same work.
#include "archive_disc.h"
#include "bench_support.h"
#include "catalog/catalog.h"
#include "catalog/comparisons.h"
#include "catalog/row_reader.h"
#include "catalog/row_writer.h"
#include "catalogues.h"
#include "copy/copy_files.h"
#include "copy/copy_log.h"
#include "copy_log_text.h"
#include "copy_window.h"
#include "edit/disc_store.h"
#include "edit/disc_tree.h"
#include "figures.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "media/folder_walk.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "search_keys.h"
#include "session.h"
#include "system_clock.h"
#include "text/unicode_text.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unistd.h>

namespace orbisk::bench {
namespace {

constexpr int TreeFiles = 100000;
constexpr int TreeFolders = 5000;
constexpr int CatalogRows = 1000000;
constexpr int CopiedFiles = 2000;

QuietTray tray;
QuietDialogs dialogs;
LinuxFileSystem files;
SystemClock systemClock;

Platform quietPlatform(const NumberFormat& numbers) {
    return {files, tray, dialogs, systemClock, numbers};
}

// The name index of a catalogue, up to date; kept beside it for later runs.
std::unique_ptr<NameIndex> indexOf(const std::filesystem::path& catalog) {
    auto index = std::make_unique<NameIndex>(catalog.parent_path() / "names", catalog, files);
    index->update();
    return index;
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
    Catalog catalog(file);
    ScanCatalog(catalog, "*", std::nullopt, [&](Hit&& hit) {
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

// The old matcher: "*" and "?" over code points, letter case folded by ICU and nothing
// else, registered as the connection's "like": the anchor of the Japanese scan.
void caseOnlyLike(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto decoded = [](sqlite3_value* value) {
        std::u32string text =
            DecodeUtf8(std::string_view(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                        static_cast<std::size_t>(sqlite3_value_bytes(value))));
        for (char32_t& c : text) {
            c = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
        }
        return text;
    };
    const std::u32string pattern = decoded(arguments[0]);
    const std::u32string text = decoded(arguments[1]);
    // The longest run a star may take, found by trying from the right.
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::u32string::npos;
    std::size_t from = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            from = t;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            t = ++from;
        } else {
            sqlite3_result_int(context, 0);
            return;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    sqlite3_result_int(context, p == pattern.size() ? 1 : 0);
}

enum class Like { Ours, BuiltIn, CaseOnly };

long likeScan(const std::filesystem::path& file, Like like, const char* pattern) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (like == Like::Ours) {
        RegisterComparisons(db);
    } else if (like == Like::CaseOnly) {
        sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                caseOnlyLike, nullptr, nullptr);
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

} // namespace
} // namespace orbisk::bench

int main(int argc, char** argv) {
    using namespace orbisk;
    using namespace orbisk::bench;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // --large adds the ten-million-row catalogue: minutes to make, 2 GB of disk.
    bool large = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--large") {
            large = true;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const LocaleNumberFormat numbers;

    std::printf("Preparing data in %s ...\n", dataFolder().c_str());
    std::fflush(stdout);
    const auto tree = fileTree("tree", TreeFiles, TreeFolders, 0);
    const auto archives = archiveDisc();
    const auto copySource = fileTree("copy-source", CopiedFiles, 1, 100 * 1024);
    const auto catalog = searchCatalog(CatalogRows, "search");
    const auto smallCatalog = searchCatalog(CatalogRows / 10, "search-100k");
    const auto largeCatalog =
        large ? searchCatalog(CatalogRows * 10, "search-10m") : std::filesystem::path();
    std::printf("Indexing ...\n");
    std::fflush(stdout);
    const auto index = indexOf(catalog);
    const auto smallIndex = indexOf(smallCatalog);
    const auto largeIndex = large ? indexOf(largeCatalog) : nullptr;
    const auto browsed = browseCatalog();
    const auto japanese = japaneseCatalog();
    const auto names = catalogNames(catalog);
    const auto rows = sampleRows(TreeFiles);
    std::string warm = "find '" + tree.string() + "' '" + copySource.string() +
                       "' -type f -exec cat {} + > /dev/null";
    commandSeconds(warm);

    // Every benchmark times real work in milliseconds of wall-clock time.
    using Body = std::function<void(benchmark::State&)>;
    const auto repeat = [](std::function<void()> work) {
        return [work](benchmark::State& state) {
            for (auto _ : state) {
                work();
            }
        };
    };
    // Each work starts from a fresh catalogue made outside the timing.
    const auto onFreshCatalog = [](const char* name,
                                   std::function<void(const std::filesystem::path&)> work) {
        return [name, work](benchmark::State& state) {
            for (auto _ : state) {
                state.PauseTiming();
                const auto file = freshCatalog(name);
                state.ResumeTiming();
                work(file);
            }
        };
    };
    // FIND for a key, scanning or through an index.
    const auto searchIn = [&](const std::filesystem::path& file, const NameIndex* nameIndex,
                              const char* key) {
        return [file, nameIndex, key] {
            const Search search = SearchCatalog(file, nameIndex, key, "ALL");
            benchmark::DoNotOptimize(search.hits.data());
        };
    };
    const char* selective = "*report*2003*";
    Session session{quietPlatform(numbers), catalog, nullptr};
    HitTable copyHits;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(copySource)) {
        if (entry.is_regular_file()) {
            copyHits.push_back(FileHit(0, entry.path().string(), entry.path().filename().string(),
                                       "BENCH", "100"));
        }
    }
    const auto target = dataFolder() / "copy-target";
    const auto buildLog = [&](int entries) {
        return [&, entries] {
            CopyLog log;
            for (int i = 0; i < entries; ++i) {
                log.push_back({copyHits.back().path, CopyLogEntry::Outcome::Copied, {}});
            }
            benchmark::DoNotOptimize(CopyLogText(log).data());
        };
    };

    struct Run {
        const char* name;
        int iterations;
        Body body;
    };
    const Run runs[] = {
        // As a registration stores its rows: one statement each, all in one transaction.
        {"store-rows/orbisk", 5,
         onFreshCatalog("store.mdb",
                        [&](const std::filesystem::path& file) {
                            Catalog writer(file, Catalog::Access::Write);
                            Catalog::Transaction registration(writer);
                            RowWriter store(writer);
                            for (const FileRow& row : rows) {
                                store.storeFileRow(row);
                            }
                            registration.commit();
                        })},
        {"store-rows/one-transaction", 10,
         onFreshCatalog(
             "store.mdb",
             [&](const std::filesystem::path& file) { storeInOneTransaction(file, rows); })},
        {"walk/orbisk", 10,
         [&](benchmark::State& state) {
             for (auto _ : state) {
                 PathStore paths;
                 SkippedFolders skipped;
                 CollectFiles({files, dialogs}, files.walkPattern(tree.string()), true, paths,
                              skipped);
                 if (paths.count() != TreeFiles) {
                     state.SkipWithError(
                         ("the walk found " + std::to_string(paths.count()) + " files").c_str());
                 }
             }
         }},
        {"walk/find", 10,
         repeat([&] { commandSeconds("find '" + tree.string() + "' -type f > /dev/null"); })},
        {"register/orbisk", 3,
         onFreshCatalog("register.mdb",
                        [&](const std::filesystem::path& file) {
                            QuietRegisterSink sink;
                            RegisterDisc(quietPlatform(numbers), file, tree.string(), "BENCH",
                                         sink);
                        })},
        {"register/find+one-transaction", 3,
         onFreshCatalog("register.mdb",
                        [&](const std::filesystem::path& file) {
                            commandSeconds("find '" + tree.string() + "' -type f > /dev/null");
                            storeInOneTransaction(file, rows);
                        })},
        // A disc of archives: each listed, its files stored, against listing each with bsdtar.
        {"register-archives/orbisk", 3,
         onFreshCatalog("archives.mdb",
                        [&](const std::filesystem::path& file) {
                            QuietRegisterSink sink;
                            RegisterDisc(quietPlatform(numbers), file, archives.string(),
                                         "ARCHIVES", sink);
                        })},
        {"register-archives/find+bsdtar", 3, repeat([&] {
             commandSeconds("find '" + archives.string() + "' -type f > /dev/null && find '" +
                            archives.string() + "' -type f -exec bsdtar -tf {} ';' > /dev/null");
         })},
        {"search-selective/orbisk", 10, repeat(searchIn(catalog, nullptr, selective))},
        {"search-indexed/orbisk", 50, repeat(searchIn(catalog, index.get(), selective))},
        {"search-growth/scan-100k", 20, repeat(searchIn(smallCatalog, nullptr, selective))},
        {"search-growth/index-100k", 50,
         repeat(searchIn(smallCatalog, smallIndex.get(), selective))},
        // A full build of the index of the million-row catalogue.
        {"index-build", 2,
         [&](benchmark::State& state) {
             const auto file = dataFolder() / "build.names";
             for (auto _ : state) {
                 state.PauseTiming();
                 std::filesystem::remove_all(file);
                 NameIndex built(file, catalog, files);
                 state.ResumeTiming();
                 built.update();
             }
         }},
        // Catching up after a registration of 100,000 files into the million-row catalogue,
        // in the run that built the index (so without its once-a-run check).
        {"index-catch-up", 3,
         [&](benchmark::State& state) {
             const auto folder = dataFolder() / "catch-up";
             for (auto _ : state) {
                 state.PauseTiming();
                 std::filesystem::remove_all(folder);
                 std::filesystem::create_directories(folder);
                 std::filesystem::copy_file(catalog, folder / Catalog::FileName);
                 std::filesystem::copy(index->folder(), folder / "names",
                                       std::filesystem::copy_options::recursive);
                 NameIndex kept(folder / "names", folder / Catalog::FileName, files);
                 kept.update();
                 storeInOneTransaction(folder / Catalog::FileName, rows);
                 state.ResumeTiming();
                 kept.update();
             }
         }},
        {"search-selective/in-memory", 10,
         [&](benchmark::State& state) { memoryScan(state, names, "*report*2003*"); }},
        // The broad search hands its hits to a real copy window, not shown.
        {"search-broad/orbisk", 5, repeat([&] {
             auto hits = FindFiles(dialogs, catalog, nullptr, "*.txt", "ALL");
             CopyWindow window(session, std::move(hits.value()));
             benchmark::DoNotOptimize(&window);
         })},
        {"search-broad/in-memory", 5,
         [&](benchmark::State& state) { memoryScan(state, names, "*.txt"); }},
        {"like-scan/orbisk", 15,
         repeat([&] { benchmark::DoNotOptimize(likeScan(catalog, Like::Ours, "*report*2003*")); })},
        {"like-scan/built-in", 15, repeat([&] {
             benchmark::DoNotOptimize(likeScan(catalog, Like::BuiltIn, "%report%2003%"));
         })},
        // Japanese names: the whole rule against the old one, which folded letter case only.
        {"like-scan-japanese/orbisk", 5,
         repeat([&] { benchmark::DoNotOptimize(likeScan(japanese, Like::Ours, "*テスト*2*")); })},
        {"like-scan-japanese/case-only", 5, repeat([&] {
             benchmark::DoNotOptimize(likeScan(japanese, Like::CaseOnly, "*テスト*2*"));
         })},
        // The check a registration makes before it writes into the catalogue.
        {"catalog-check", 5,
         repeat([&] { Catalog(catalog, Catalog::Access::Write).checkIntact(); })},
        // What the catalogue window reads and builds when a disc is chosen.
        {"browse-disc", 5, repeat([&] {
             benchmark::DoNotOptimize(BuildDiscTree(ReadDiscFiles(browsed, "Disc 3")));
         })},
        // COPY and cp take turns, each starting from an empty folder and a flushed disk, so
        // the disk's own moods fall on both alike.
        {"copy/orbisk-and-cp", 4,
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
                     QuietCopySink window;
                     std::vector<std::size_t> all(copyHits.size());
                     std::iota(all.begin(), all.end(), 0);
                     const auto start = std::chrono::steady_clock::now();
                     CopyFiles(quietPlatform(numbers), catalog, copyHits, all, target.string(),
                               window);
                     ours += std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                                 .count();
                 }
             }
             state.counters["orbisk"] = ours / static_cast<double>(state.iterations());
             state.counters["cp"] = cp / static_cast<double>(state.iterations());
         }},
        // The log grows by appending: an entry costs the same whether it is the thousandth
        // or the ten-thousandth.
        {"copy-log/1000", 2000, repeat(buildLog(1000))},
        {"copy-log/10000", 200, repeat(buildLog(10000))},
    };
    std::vector<Run> all(std::begin(runs), std::end(runs));
    if (large) {
        all.push_back(
            {"search-growth/scan-10m", 3, repeat(searchIn(largeCatalog, nullptr, selective))});
        all.push_back({"search-growth/index-10m", 20,
                       repeat(searchIn(largeCatalog, largeIndex.get(), selective))});
    }
    for (const Run& run : all) {
        benchmark::RegisterBenchmark(run.name, run.body)
            ->Iterations(run.iterations)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintFigures(reporter.seconds, {CatalogRows, TreeFiles, CopiedFiles, selective});
    if (large) {
        CompareSearchKeys(largeCatalog, *largeIndex);
        MeasureLargeIndex(largeCatalog);
    }
    PrintPerItemFigures(reporter.seconds);
    return 0;
}
