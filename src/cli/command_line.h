#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/number_format.h"
#include "words.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

// Exit codes of orbisk-cli.
enum ExitCode : int {
    Done = 0,
    Failed = 1,       // the catalogue or a file could not be read or written
    Usage = 2,        // the command line is not understood
    TooMany = 3,      // find: more hits than a search holds
    Refused = 4,      // add: the title, the folder or the catalogue was refused, or a question
                      // was answered no
    NothingToAdd = 5, // add: the folder holds no file to register
    NotAllCopied = 6, // copy: some hits were not copied (their discs not at hand, or refused)
    Differs = 7       // verify: a file is changed, unreadable, missing or not in the catalogue
};

// What the command line runs on.
struct CommandLineServices {
    FileSystem& files;
    const Clock& clock;
    const NumberFormat& numbers;
    std::filesystem::path programFolder;   // where a catalogue beside the program is looked for
    std::filesystem::path dataFolder;      // the user's, where the catalogue lives by default
    std::filesystem::path cacheFolder;     // the user's, where the name index is kept
    Language language = Language::English; // of every line the run writes
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// orbisk-cli: the catalogue's commands for scripts and terminals (arguments without the
// program's name). Writes to the services' streams; returns the exit code.
int RunCommandLine(const std::vector<std::string>& arguments, const CommandLineServices& services);

} // namespace orbisk
