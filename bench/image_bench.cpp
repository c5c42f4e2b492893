// Disc images read without mounting, against bsdtar over the same image: the listing and
// the registration of an image of 100,000 files, and every file of an image copied back as
// COPY does. Prints Google Benchmark's table, then one summary line per figure: NAME:
// FIGURE UNIT (RATIO× ANCHOR).
#include "bench_support.h"
#include "catalogues.h"
#include "image/disc_image.h"
#include "image/image_file_system.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "search/find_files.h"
#include "system_clock.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {

using namespace orbisk;
using namespace orbisk::bench;

constexpr int ListedFiles = 100000;
constexpr int CopiedFiles = 2000;

// An ISO 9660 image with Rock Ridge and Joliet of folder, made once by xorriso.
std::string imageOf(const std::filesystem::path& folder, const std::string& name) {
    const auto image = dataFolder() / name;
    if (!std::filesystem::exists(image)) {
        commandSeconds("xorriso -as mkisofs -R -J -o '" + image.string() + ".part' '" +
                       folder.string() + "' >/dev/null 2>&1 && mv '" + image.string() + ".part' '" +
                       image.string() + "'");
    }
    return image.string();
}

std::map<std::string, double> seconds; // the fastest run of each benchmark

void timed(benchmark::State& state, const std::string& name, const std::function<void()>& work) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        seconds[name] = seconds.count(name) != 0 ? std::min(seconds[name], took) : took;
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("Preparing images in %s ...\n", dataFolder().c_str());
    std::fflush(stdout);
    const std::string listed =
        imageOf(fileTree("image-listed", ListedFiles, 5000, 0), "listed.iso");
    const std::string copied =
        imageOf(fileTree("image-copied", CopiedFiles, 20, 100 * 1024), "copied.iso");
    commandSeconds("cat '" + listed + "' '" + copied + "' > /dev/null");
    const auto out = dataFolder() / "image-out";

    LinuxFileSystem machine;
    ImageFileSystem images(machine);
    QuietTray tray;
    QuietDialogs dialogs;
    SystemClock clock;
    LocaleNumberFormat numbers;
    const Platform platform{images, tray, dialogs, clock, numbers};
    const auto fresh = [&out] {
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
    };
    // The rows a registration of the listed image stores, for the anchor's one transaction.
    std::vector<FileRow> rows;
    {
        const auto image = DiscImage::Open(machine, listed);
        const ImageTree& tree = image->tree();
        for (ImageTree::Index i = 1; i < tree.size(); ++i) {
            if (!tree.node(i).folder) {
                const std::string& name = tree.node(i).name;
                const auto dot = name.rfind('.');
                rows.push_back({listed + "/" + tree.pathOf(i), "BENCH", name,
                                dot == std::string::npos ? "" : name.substr(dot + 1), "1",
                                "2026-12-07"});
            }
        }
    }
    // The copied image registered once, and every one of its files found, as COPY is handed
    // them.
    const auto copyCatalog = freshCatalog("image-copy.mdb");
    {
        QuietRegisterSink sink;
        RegisterDisc(platform, copyCatalog, copied, "COPIED", sink);
    }
    const HitTable hits = SearchCatalog(copyCatalog, nullptr, "*", "ALL").hits;
    std::vector<std::size_t> marked(hits.size());
    for (std::size_t i = 0; i < marked.size(); ++i) {
        marked[i] = i;
    }
    std::filesystem::path registerCatalog;
    struct Run {
        std::string name;
        std::function<void()> work;
        std::function<void()> before;
    };
    const std::vector<Run> runs = {
        {"list-image/orbisk",
         [&] {
             const auto image = DiscImage::Open(machine, listed);
             if (image->tree().files() != ListedFiles) {
                 throw std::runtime_error("listed " + std::to_string(image->tree().files()));
             }
         },
         {}},
        {"list-image/bsdtar-tf",
         [&] { commandSeconds("bsdtar -tf '" + listed + "' > /dev/null"); },
         {}},
        // ADD of the image as a drive, into an empty catalogue, against listing it and
        // storing as many rows in one bare transaction.
        {"register-image/orbisk",
         [&] {
             ImageFileSystem files(machine); // nothing of the image known beforehand
             QuietRegisterSink sink;
             const Platform fromImage{files, tray, dialogs, clock, numbers};
             if (RegisterDisc(fromImage, registerCatalog, listed, "BENCH", sink) !=
                 Registration::Registered) {
                 throw std::runtime_error("the image was not registered");
             }
         },
         [&] { registerCatalog = freshCatalog("image-register.mdb"); }},
        {"register-image/bsdtar-tf+one-transaction",
         [&] {
             commandSeconds("bsdtar -tf '" + listed + "' > /dev/null");
             storeInOneTransaction(registerCatalog, rows);
         },
         [&] { registerCatalog = freshCatalog("image-register.mdb"); }},
        // COPY of every file of the image at its place: the disc checked, each file checked
        // against its row and taken out of the image.
        {"copy-image/orbisk",
         [&] {
             ImageFileSystem files(machine);
             QuietCopySink sink;
             const Platform fromImage{files, tray, dialogs, clock, numbers};
             const CopyRun run =
                 CopyFiles(fromImage, copyCatalog, hits, marked, out.string(), sink);
             const auto copied =
                 std::count_if(run.log.begin(), run.log.end(), [](const CopyLogEntry& entry) {
                     return entry.outcome == CopyLogEntry::Outcome::Copied;
                 });
             if (copied != CopiedFiles) {
                 throw std::runtime_error("copied " + std::to_string(copied));
             }
         },
         fresh},
        {"copy-image/bsdtar-xf",
         [&] { commandSeconds("bsdtar -xf '" + copied + "' -C '" + out.string() + "'"); }, fresh},
    };
    for (const Run& run : runs) {
        benchmark::RegisterBenchmark(run.name.c_str(),
                                     [run](benchmark::State& state) {
                                         if (run.before) {
                                             run.before();
                                         }
                                         timed(state, run.name, run.work);
                                     })
            ->Iterations(1)
            ->Repetitions(5)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto figure = [](const char* name, const char* ours, const char* anchor,
                           const char* anchorName, double files) {
        if (seconds.count(ours) != 0 && seconds.count(anchor) != 0) {
            std::printf("%s: %.0f files/s (%.3g× %s)\n", name, files / seconds.at(ours),
                        seconds.at(ours) / seconds.at(anchor), anchorName);
        }
    };
    std::printf("\n");
    figure("list-image", "list-image/orbisk", "list-image/bsdtar-tf",
           "bsdtar -tf over the same image", ListedFiles);
    figure("register-image", "register-image/orbisk", "register-image/bsdtar-tf+one-transaction",
           "bsdtar -tf over the same image + one transaction", ListedFiles);
    figure("copy-image", "copy-image/orbisk", "copy-image/bsdtar-xf",
           "bsdtar -xf of the same image", CopiedFiles);
    return 0;
}
