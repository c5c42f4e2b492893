// What reading a disc's content and finding its files elsewhere cost, against plain
// anchors measured in the same run: xxhsum -H2 over the same files, and sort | uniq -d
// over the same (size, fingerprint) lines, and a registration that reads every file's
// content against find, one sqlite3 transaction and xxhsum -H2 over the same files. Prints a table,
// then one summary line per figure: NAME: FIGURE UNIT (RATIO× ANCHOR), RATIO being our time over
// the anchor's.
//
//   orbisk_content_bench                 every figure
//   orbisk_content_bench --rows N        the search for copies over N rows (default 10M)
//   orbisk_content_bench --only verify   the reading alone (or --only dups, --only register)
//   orbisk_content_bench --copies-child N   (internal) one search for copies, measured
#include "bench_support.h"
#include "catalog/catalog.h"
#include "content/content_reader.h"
#include "content/copy_groups.h"
#include "copy_rows.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "registration/register_disc.h"
#include "system_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orbisk::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<std::string> filesUnder(const std::filesystem::path& root) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Drops the files' pages from the system's cache, so the next reading comes from the disk.
void evict(const std::vector<std::string>& paths) {
    sync();
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
}

const LinuxFileSystem files;

// Every file read whole and fingerprinted, as VERIFY reads a disc.
double readAll(const std::vector<std::string>& paths) {
    ReadCounters counters;
    ContentReader reader(counters, {});
    const auto start = Clock::now();
    for (const std::string& path : paths) {
        const auto file = files.openForReading(path);
        if (!file || reader.read(*file).end != ContentRead::End::Read) {
            throw std::runtime_error("could not read " + path);
        }
    }
    return secondsSince(start);
}

struct Turns {
    double ours = 0;
    double anchor = 0;
};

// Ours and xxhsum take turns, so that the machine's slow spells fall on both alike, and
// each is timed by its best turn: what the work costs when nothing else gets in its way.
Turns verifyTurns(const std::filesystem::path& root, const std::vector<std::string>& paths,
                  int rounds, bool cold) {
    const std::string xxhsum =
        "find '" + root.string() + "' -type f -exec xxhsum -H2 {} + > /dev/null 2>&1";
    std::vector<double> ours;
    std::vector<double> anchor;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            if (cold) {
                evict(paths);
            }
            if ((round + turn) % 2 == 0) {
                ours.push_back(readAll(paths));
            } else {
                anchor.push_back(commandSeconds(xxhsum));
            }
        }
    }
    return {*std::min_element(ours.begin(), ours.end()),
            *std::min_element(anchor.begin(), anchor.end())};
}

// A registration with every file's content read, into a new catalogue each turn; against
// what it comes to with the plain tools: find lists the files with their sizes and dates,
// sqlite3 stores them as rows in one transaction, xxhsum -H2 reads every file.
Turns registerTurns(const std::filesystem::path& root, int rounds) {
    const std::filesystem::path place = dataFolder() / "register-content";
    std::filesystem::create_directories(place);
    const std::string rows = (place / "rows.sql").string();
    const std::string anchorCatalog = (place / "anchor.db").string();
    const std::string anchor =
        "rm -f '" + anchorCatalog +
        "' && { echo 'Create Table f (path Text, bytes Integer, "
        "modified Real); Begin;'; find '" +
        root.string() +
        "' -type f -printf \"Insert Into f Values ('%p', %s, %T@);\\n\"; echo 'Commit;'; } > '" +
        rows + "' && sqlite3 '" + anchorCatalog + "' < '" + rows + "' && find '" + root.string() +
        "' -type f -exec xxhsum -H2 {} + > /dev/null 2>&1";
    QuietTray tray;
    QuietDialogs dialogs;
    SystemClock clock;
    LocaleNumberFormat numbers;
    LinuxFileSystem disc;
    const Platform platform{disc, tray, dialogs, clock, numbers};
    std::vector<double> ours;
    std::vector<double> plain;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((round + turn) % 2 != 0) {
                plain.push_back(commandSeconds(anchor));
                continue;
            }
            const auto catalog = place / "Orbisk.mdb";
            std::filesystem::remove(catalog);
            Catalog::create(catalog);
            QuietRegisterSink sink;
            const auto start = Clock::now();
            if (RegisterDisc(platform, catalog, root.string(), "BENCH", sink, {}, true) !=
                Registration::Registered) {
                throw std::runtime_error("the registration failed");
            }
            ours.push_back(secondsSince(start));
        }
    }
    return {*std::min_element(ours.begin(), ours.end()),
            *std::min_element(plain.begin(), plain.end())};
}

struct Measured {
    double seconds = 0;     // the search alone
    double generation = 0;  // making the rows up, which the search's time leaves out
    long peakKilobytes = 0; // the whole process's peak
    std::size_t groups = 0;
};

// The search for copies over rows generated as they are taken, in a process of its own so
// that its peak memory is its own.
Measured copiesInThisProcess(std::uint64_t rows) {
    Measured measured;
    auto start = Clock::now();
    std::uint64_t sink = 0;
    GenerateCopyRows(rows, [&](const CopyRow& row) { sink += row.bytes + row.name->size(); });
    measured.generation = secondsSince(start);

    start = Clock::now();
    CopyFinder finder(rows);
    GenerateCopyRows(rows, [&](const CopyRow& row) {
        finder.add({row.row, row.disc, row.bytes, row.modified, *row.name, row.content});
    });
    const auto groups = finder.finish();
    measured.seconds = secondsSince(start) - measured.generation;
    measured.groups = groups->size() + (sink == 0 ? 1 : 0);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    measured.peakKilobytes = usage.ru_maxrss;
    return measured;
}

Measured copiesInAChild(const char* self, std::uint64_t rows) {
    const auto report = dataFolder() / "copies.txt";
    const std::string command = "'" + std::string(self) + "' --copies-child " +
                                std::to_string(rows) + " > '" + report.string() + "'";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("the search for copies failed");
    }
    Measured measured;
    std::ifstream(report) >> measured.seconds >> measured.generation >> measured.peakKilobytes >>
        measured.groups;
    return measured;
}

// The anchor's input: one "size fingerprint" line a row, each row's true content.
std::filesystem::path copyLines(std::uint64_t rows) {
    const auto file = dataFolder() / ("copy-lines-" + std::to_string(rows) + ".txt");
    if (std::filesystem::exists(file)) {
        return file;
    }
    const auto written = dataFolder() / "copy-lines.tmp";
    {
        std::ofstream out(written);
        GenerateCopyRows(
            rows, [&](const CopyRow& row) { out << row.bytes << ' ' << row.truth.text() << '\n'; });
    }
    std::filesystem::rename(written, file);
    return file;
}

} // namespace
} // namespace orbisk::bench

int main(int argc, char** argv) {
    using namespace orbisk::bench;
    std::uint64_t rows = 10000000;
    std::string only;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--copies-child") {
            const Measured m = copiesInThisProcess(std::stoull(argv[i + 1]));
            std::printf("%.3f %.3f %ld %zu\n", m.seconds, m.generation, m.peakKilobytes, m.groups);
            return 0;
        }
        if (option == "--rows") {
            rows = std::stoull(argv[i + 1]);
        }
        if (option == "--only") {
            only = argv[i + 1];
        }
    }

    std::printf("Preparing data in %s ...\n", dataFolder().c_str());
    std::fflush(stdout);
    std::vector<std::string> summary;
    char line[256];
    if (only.empty() || only == "verify") {
        constexpr int VerifiedFiles = 2000;
        const auto root = fileTree("verify-source", VerifiedFiles, 20, 1 << 20);
        const auto paths = filesUnder(root);
        readAll(paths); // warm: both read from the cache
        const Turns warm = verifyTurns(root, paths, 9, false);
        std::printf("verify (warm)  ours %.3f s  xxhsum %.3f s\n", warm.ours, warm.anchor);
        const Turns cold = verifyTurns(root, paths, 3, true);
        std::printf("verify (cold)  ours %.3f s  xxhsum %.3f s\n", cold.ours, cold.anchor);
        std::snprintf(line, sizeof line, "verify: %.0f MB/s (%.3g× xxhsum -H2 over the same files)",
                      VerifiedFiles / warm.ours, warm.ours / warm.anchor);
        summary.emplace_back(line);
        std::snprintf(line, sizeof line,
                      "verify-cold: %.0f MB/s (%.3g× xxhsum -H2, both reading from the disk)",
                      VerifiedFiles / cold.ours, cold.ours / cold.anchor);
        summary.emplace_back(line);
    }
    if (only.empty() || only == "register") {
        constexpr int RegisteredFiles = 2000;
        const auto root = fileTree("verify-source", RegisteredFiles, 20, 1 << 20);
        const Turns turns = registerTurns(root, 5);
        std::printf("register-content  ours %.3f s  find + sqlite3 + xxhsum %.3f s\n", turns.ours,
                    turns.anchor);
        std::snprintf(line, sizeof line,
                      "register-content: %.0f MB/s (%.3g× find + one transaction + xxhsum -H2 "
                      "over the same files)",
                      RegisteredFiles / turns.ours, turns.ours / turns.anchor);
        summary.emplace_back(line);
    }
    if (only.empty() || only == "dups") {
        const auto lines = copyLines(rows);
        std::vector<double> sorts;
        std::vector<double> seconds;
        long peak = 0;
        for (int round = 0; round < 3; ++round) {
            const Measured m = copiesInAChild(argv[0], rows);
            seconds.push_back(m.seconds);
            peak = std::max(peak, m.peakKilobytes);
            sorts.push_back(
                commandSeconds("LC_ALL=C sort '" + lines.string() + "' | uniq -d > /dev/null"));
            std::printf("copies  ours %.3f s (%zu groups, %ld KB peak, rows made up in %.3f s)  "
                        "sort | uniq -d %.3f s\n",
                        m.seconds, m.groups, m.peakKilobytes, m.generation, sorts.back());
            std::fflush(stdout);
        }
        const bool tenMillion = rows == 10000000;
        std::snprintf(line, sizeof line,
                      "dups-%s: %.2f s for %s rows (%.3g× sort | uniq -d over the same (size, "
                      "fingerprint) lines), %.0f MB peak",
                      tenMillion ? "10m" : std::to_string(rows).c_str(), median(seconds),
                      tenMillion ? "10,000,000" : std::to_string(rows).c_str(),
                      median(seconds) / median(sorts), static_cast<double>(peak) / 1024);
        summary.emplace_back(line);
    }
    std::printf("\n");
    for (const std::string& figure : summary) {
        std::printf("%s\n", figure.c_str());
    }
    return 0;
}
