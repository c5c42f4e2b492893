#include "search_keys.h"

#include "bench_support.h"
#include "catalogues.h"
#include "search/find_files.h"
#include "search/name_index.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orbisk::bench {

namespace {

struct Key {
    const char* key;
    const char* title; // nullptr: every title
};

const Key Keys[] = {
    {"*report*2003*", nullptr},
    {"*.txt", nullptr},
    {"*.jpg", nullptr},
    {"*image*", nullptr},
    {"*data*.jpg", nullptr},
    {"*image*.txt", nullptr},
    {"*e*a*", nullptr},
    {"*ing*", nullptr},
    {"*a?c*", nullptr},
    {"?.txt", nullptr},
    {"*[0-9][0-9][0-9]*", nullptr},
    {"*.txt", "Disc 042"},
    {"*.jpg", "Disc 042"},
    {"*report*2003*", "Disc 042"},
};

template <class Work> double medianSeconds(int runs, Work work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

struct Measured {
    double seconds = 0;
    long peakKilobytes = 0;
};

// Runs a program with the environment given added, and measures it with time(1): the
// benchmark's own memory must not count.
Measured measure(const std::vector<std::string>& arguments, const std::string& environment) {
    const auto report = dataFolder() / "measured.txt";
    std::string command = environment + " /usr/bin/time -f '%e %M' -o " + quoted(report.string());
    for (const std::string& argument : arguments) {
        command += " " + quoted(argument);
    }
    std::system((command + " > /dev/null").c_str());
    Measured measured;
    std::ifstream(report) >> measured.seconds >> measured.peakKilobytes;
    return measured;
}

// The highest resident memory of a running process, from the kernel's account.
long peakOf(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

} // namespace

void CompareSearchKeys(const std::filesystem::path& catalog, const NameIndex& index) {
    const auto list = pathList(catalog);
    const auto database = catalog.parent_path() / "plocate.db";
    if (!std::filesystem::exists(database)) {
        const double seconds = commandSeconds("plocate-build -p " + quoted(list.string()) + " " +
                                              quoted(database.string()));
        std::printf("plocate-build: %.1f s, %.0f MB\n", seconds,
                    static_cast<double>(std::filesystem::file_size(database)) / 1e6);
    }
    std::printf("\n%-22s %-9s %10s %10s %10s %8s %8s\n", "key (10,000,000 names)", "title",
                "orbisk ms", "scan ms", "plocate ms", "/scan", "/plocate");
    int ahead = 0;
    int under50 = 0;
    double worst = 0;
    for (const Key& k : Keys) {
        const std::string title = k.title != nullptr ? k.title : "ALL";
        std::size_t indexed = 0;
        std::size_t scanned = 0;
        const double ours = medianSeconds(3, [&] {
            const Search search = SearchCatalog(catalog, &index, k.key, title);
            indexed = search.end == Search::End::TooMany ? MostHits + 1 : search.hits.size();
        });
        const double scan = medianSeconds(2, [&] {
            const Search search = SearchCatalog(catalog, nullptr, k.key, title);
            scanned = search.end == Search::End::TooMany ? MostHits + 1 : search.hits.size();
        });
        // plocate as a user would ask it: letter case ignored, stopping where FIND stops;
        // a title is the first folder of its list.
        const std::string pattern = k.title != nullptr
                                        ? "-w " + quoted(std::string("/") + k.title + "/" + k.key)
                                        : "-b " + quoted(k.key);
        const double plocate = medianSeconds(3, [&] {
            std::system(("plocate -d " + quoted(database.string()) + " -i -l 100000 " + pattern +
                         " > /dev/null")
                            .c_str());
        });
        const double toScan = ours / scan;
        worst = std::max(worst, toScan);
        ahead += ours <= plocate ? 1 : 0;
        under50 += ours < 0.05 ? 1 : 0;
        std::printf("%-22s %-9s %10.1f %10.1f %10.1f %7.3fx %7.2fx%s\n", k.key,
                    k.title != nullptr ? k.title : "ALL", ours * 1e3, scan * 1e3, plocate * 1e3,
                    toScan, ours / plocate,
                    indexed == scanned ? "" : "  (the index and the scan disagree!)");
    }
    std::printf("search-keys-10m: %d of %zu keys ahead of plocate (%d under 50 ms), worst %.3g× "
                "scan\n",
                ahead, std::size(Keys), under50, worst);
}

void MeasureLargeIndex(const std::filesystem::path& catalog) {
    const auto cache = dataFolder() / "large-cache";
    std::filesystem::remove_all(cache);
    std::filesystem::create_directories(cache);
    const std::string home = "XDG_CACHE_HOME=" + cache.string();
    const Measured built =
        measure({ORBISK_CLI_PROGRAM, "--catalog", catalog.string(), "index"}, home);
    std::uintmax_t size = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cache)) {
        size += entry.is_regular_file() ? entry.file_size() : 0;
    }
    const Measured found =
        measure({ORBISK_CLI_PROGRAM, "--catalog", catalog.string(), "find", "*report*2003*"}, home);
    // The window program at its start: title list, drive lists, its index checked.
    const pid_t window = fork();
    if (window == 0) {
        putenv(const_cast<char*>(home.c_str()));
        putenv(const_cast<char*>("QT_QPA_PLATFORM=offscreen"));
        execl(ORBISK_PROGRAM, ORBISK_PROGRAM, "--catalog", catalog.c_str(), nullptr);
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(8));
    const long windowPeak = peakOf(window);
    kill(window, SIGTERM);
    waitpid(window, nullptr, 0);
    std::printf("index-build-10m: %.1f s for 10,000,000 rows, %.0f MB on disk\n", built.seconds,
                static_cast<double>(size) / 1e6);
    std::printf("peak-memory-10m: %.0f MB building the index (orbisk-cli index), %.0f MB "
                "searching (orbisk-cli find), %.0f MB for the windows at start (orbisk)\n",
                built.peakKilobytes / 1024.0, found.peakKilobytes / 1024.0, windowPeak / 1024.0);
}

} // namespace orbisk::bench
