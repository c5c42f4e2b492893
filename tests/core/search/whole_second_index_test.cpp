#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "linux_file_system.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "support/catalog_rows.h"
#include "support/temp_dir.h"
#include "support/volume_image.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace orbisk {
namespace {

using namespace testing;
using Kind = VolumeImage::Kind;

std::vector<std::int64_t> rowsOf(const Search& search) {
    std::vector<std::int64_t> rows;
    for (const Hit& hit : search.hits) {
        rows.push_back(hit.row);
    }
    return rows;
}

// Sleeps until just after the start of a whole second that is a multiple of step.
void waitForTheStartOfASecond(int step) {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto next = seconds((duration_cast<seconds>(now).count() / step + 1) * step);
    std::this_thread::sleep_for(next - now + milliseconds(20));
}

class WholeSecondVolume : public ::testing::TestWithParam<Kind> {};

// A catalogue on a file system that keeps times in whole seconds (two on FAT): another
// program registers a disc, the index is proved, and the program rewrites names in place
// (the catalogue keeps its size, its inode and, within the second, its times). The next
// update still finds the change, and FIND through the index gives what a scan gives.
TEST_P(WholeSecondVolume, AChangeWithinTheSecondOfTheProofIsFoundByTheNextUpdate) {
    const VolumeImage volume(GetParam());
    if (!volume.mounted()) {
        GTEST_SKIP() << "the volume could not be made and mounted (root, FUSE, loop devices, "
                        "mkfs.vfat, fusefat, mkfs.exfat, exfat-fuse)";
    }
    TempDir dir;
    const std::filesystem::path catalog = volume.folder() + "/Orbisk.mdb";
    {
        const auto made = newCatalog(dir);
        // fusefat maps no shared memory, which the engine's write-ahead journal needs: the
        // catalogue there keeps its journal in a file of its own, as one written by
        // another program may.
        if (GetParam() == Kind::Fat) {
            execute(made, "PRAGMA journal_mode = DELETE");
        }
        // Byte for byte: FAT through FUSE keeps no modes to copy.
        std::ifstream empty(made, std::ios::binary);
        std::ofstream(catalog, std::ios::binary) << empty.rdbuf();
    }
    LinuxFileSystem files;
    NameIndex index(dir / "cache/catalog.names", catalog, files);
    for (int round = 0; round < 2; ++round) {
        waitForTheStartOfASecond(GetParam() == Kind::Fat ? 2 : 1);
        const std::string title = "Disc " + std::to_string(round);
        {
            Catalog c(catalog, Catalog::Access::Write);
            Catalog::Transaction t(c);
            RowWriter store(c);
            for (int i = 0; i < 210; ++i) {
                const std::string name = "name" + std::to_string(1000 + i) + ".txt";
                store.storeFileRow({"/d/" + name, title, name, "txt", "1", "2026-12-08"});
            }
            store.storeTitle(title);
            t.commit();
        }
        index.update();
        // Names of the same length, so that the file keeps its size.
        execute(catalog, "Update MediaTable Set ファイル名 = 'xw' || substr(ファイル名, 3) "
                         "Where rowid % 10 = 0 And メディア名 = '" +
                             title + "'");
        index.update();
        const auto scanned = rowsOf(SearchCatalog(catalog, nullptr, "*xw*", "ALL"));
        ASSERT_EQ(scanned.size(), 21u * (round + 1));
        EXPECT_EQ(rowsOf(SearchCatalog(catalog, &index, "*xw*", "ALL")), scanned)
            << "round " << round;
        EXPECT_TRUE(index.trusted()) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, WholeSecondVolume,
                         ::testing::Values(Kind::Fat, Kind::ExFat, Kind::Ext2SmallInodes),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::Fat     ? std::string("Fat")
                                    : info.param == Kind::ExFat ? std::string("ExFat")
                                                                : std::string("Ext2SmallInodes");
                         });

} // namespace
} // namespace orbisk
