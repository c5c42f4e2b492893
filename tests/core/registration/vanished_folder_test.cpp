#include "linux_file_system.h"
#include "registration/register_disc.h"
#include "support/catalog_rows.h"
#include "support/listing_hook.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// A folder removed from a folder-backed disc while the registration walks it, once listed
// and once before it is entered: both are passed over as folders that cannot be read are,
// the rest of the disc is registered, and the end says which folder could no longer be
// read and why, in the system's words.
TEST(VanishedFolder, IsPassedOverAndNamedWithTheSystemsReason) {
    TempDir dir;
    const auto catalog = newCatalog(dir);
    dir.write("disc/a.txt", "a");
    dir.write("disc/gone/b.txt", "b");
    dir.write("disc/gone/c.txt", "c");
    dir.write("disc/gone/deeper/e.txt", "e");
    ListingHook<LinuxFileSystem> files;
    Transcript transcript;
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;
    RecordingRegisterSink sink{transcript};
    // The disc is looked at, then walked: the disc, gone, then gone/deeper, just before which
    // the folder is removed (its files b and c already listed).
    files.onList = [&dir](int listing) {
        if (listing == 4) {
            std::filesystem::remove_all(dir / "disc/gone");
        }
    };
    const std::string disc = (dir / "disc").string();
    ASSERT_EQ(RegisterDisc({files, tray, dialogs, clock, numbers}, catalog, disc, "Disc", sink),
              Registration::Registered);
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 1u);
    EXPECT_EQ(tableRows(catalog, "MediaTable")[0][0], disc + "/a.txt");
    EXPECT_EQ(
        transcript.only("message"),
        (Lines{"message データベースの構築: 完了しました。\n"
               "読み込めなかったフォルダが2個あり、その中のファイルは登録されていません。\n" +
               disc + "/gone/deeper/が読めなくなりました。\n理由: No such file or directory"}));
}

} // namespace
} // namespace orbisk
