#pragma once

#include "command_line.h"
#include "linux_file_system.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orbisk::testing {

// orbisk-cli run in this process, its exit code and both its streams kept: on this
// machine's files, with a fresh catalogue in a temporary folder, a fixed clock and
// numbers written with commas.
class CommandLineFixture : public ::testing::Test {
protected:
    struct Said {
        int status = -1;
        std::string out;
        std::string err;
    };

    TempDir dir;
    LinuxFileSystem machine;
    FixedClock clock;
    CommaNumberFormat numbers;
    std::filesystem::path catalog = newCatalog(dir);

    // The run on the fixture's catalogue ("--catalog" put before the arguments).
    Said run(std::vector<std::string> arguments, Language language = Language::English);
    // The run on the arguments as they are.
    Said runBare(const std::vector<std::string>& arguments, Language language = Language::English);

    // The files as the runs see them: the machine's own, unless a fixture sees them
    // through another file system.
    virtual FileSystem& files() { return machine; }
};

} // namespace orbisk::testing
