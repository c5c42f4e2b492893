#pragma once

#include "copy/copy_files.h"
#include "linux_file_system.h"
#include "search/find_files.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orbisk::testing {

// ADD, FIND and COPY on this machine's real folders, discs and images, with the tray, the
// dialogs and the windows recorded: a fresh catalogue and an empty folder "out" to copy
// into, in a temporary folder.
class RealFoldersFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    LinuxFileSystem files;
    Transcript transcript;
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;
    Platform platform{files, tray, dialogs, clock, numbers};
    RecordingRegisterSink sink{transcript};
    RecordingCopySink copyWindow{transcript};

    RealFoldersFixture() { std::filesystem::create_directories(dir / "out"); }

    // FIND of key in title ("ALL" for every title), every hit marked, copied into "out".
    CopyRun copyFound(const std::string& key, const std::string& title = "ALL") {
        const Search search = SearchCatalog(catalog, nullptr, key, title);
        std::vector<std::size_t> all;
        for (std::size_t i = 0; i < search.hits.size(); ++i) {
            all.push_back(i);
        }
        return CopyFiles(platform, catalog, search.hits, all, (dir / "out").string(), copyWindow);
    }
};

} // namespace orbisk::testing
