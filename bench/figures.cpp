#include "figures.h"

#include <cstdio>

namespace orbisk::bench {

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        for (const auto& [name, counter] : run.counters) {
            seconds[run.run_name.function_name + "/" + name] = counter.value;
        }
        seconds[run.run_name.function_name] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
}

void PrintFigures(const std::map<std::string, double>& s, const BenchSizes& sizes) {
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
         sizes.treeFiles, "rows/s"},
        {"walk", "walk/orbisk", "walk/find", "find", sizes.treeFiles, "files/s"},
        {"register", "register/orbisk", "register/find+one-transaction", "find + one transaction",
         sizes.treeFiles, "files/s"},
        {"register-archives", "register-archives/orbisk", "register-archives/find+bsdtar",
         "find + bsdtar -tf of each archive", 1000, "archives/s"},
        {"search-selective", "search-selective/orbisk", "search-selective/in-memory",
         "in-memory scan", 0, "ms"},
        {"search-broad", "search-broad/orbisk", "search-broad/in-memory", "in-memory scan", 0,
         "ms"},
        {"search-indexed", "search-indexed/orbisk", "search-selective/in-memory", "in-memory scan",
         0, "ms"},
        {"search-indexed-10m", "search-growth/index-10m", "search-growth/scan-10m",
         "full scan of 10,000,000 rows", 0, "ms"},
        {"like-scan", "like-scan/orbisk", "like-scan/built-in", "built-in LIKE", 0, "ms"},
        {"like-scan-japanese", "like-scan-japanese/orbisk", "like-scan-japanese/case-only",
         "the same scan folding letter case only", 0, "ms"},
        {"catalog-check", "catalog-check", "like-scan/built-in", "a scan of every name", 0, "ms"},
        {"copy", "copy/orbisk-and-cp/orbisk", "copy/orbisk-and-cp/cp", "cp -r", sizes.copiedFiles,
         "files/s"},
    };
    std::printf("\n");
    for (const Figure& f : figures) {
        if (s.count(f.ours) != 0 && s.count(f.anchor) != 0) {
            const double ours = s.at(f.ours);
            std::printf("%s: %.0f %s (%.3g× %s)\n", f.name, f.work > 0 ? f.work / ours : ours * 1e3,
                        f.unit, ours / s.at(f.anchor), f.anchorName);
        }
    }
    if (s.count("index-build") != 0) {
        std::printf("index-build: %.0f rows/s (a full build of 1,000,000 names)\n",
                    sizes.catalogRows / s.at("index-build"));
    }
    if (s.count("index-catch-up") != 0) {
        std::printf("index-catch-up: %.2f s after a 100,000-file registration\n",
                    s.at("index-catch-up"));
    }
    if (s.count("search-growth/scan-100k") != 0 && s.count("search-selective/orbisk") != 0 &&
        s.count("search-indexed/orbisk") != 0) {
        std::printf("search-growth (%s): rows, scan ms, index ms\n", sizes.selectiveKey);
        std::printf("  100,000: %.1f %.1f\n", s.at("search-growth/scan-100k") * 1e3,
                    s.at("search-growth/index-100k") * 1e3);
        std::printf("  1,000,000: %.1f %.1f\n", s.at("search-selective/orbisk") * 1e3,
                    s.at("search-indexed/orbisk") * 1e3);
        if (s.count("search-growth/scan-10m") != 0) {
            std::printf("  10,000,000: %.1f %.1f\n", s.at("search-growth/scan-10m") * 1e3,
                        s.at("search-growth/index-10m") * 1e3);
        }
    }
}

void PrintPerItemFigures(const std::map<std::string, double>& s) {
    if (s.count("browse-disc") != 0) {
        std::printf("browse-disc: %.0f ms to open a disc of 100,000 files in 5,000 folders in a "
                    "1,000,000-row catalogue\n",
                    s.at("browse-disc") * 1e3);
    }
    if (s.count("copy-log/1000") != 0 && s.count("copy-log/10000") != 0) {
        const double perEntry = s.at("copy-log/10000") / 10000;
        std::printf("copy-log: %.0f ns/entry at 10,000 entries (%.2f× per entry at 1,000)\n",
                    perEntry * 1e9, perEntry / (s.at("copy-log/1000") / 1000));
    }
}

} // namespace orbisk::bench
