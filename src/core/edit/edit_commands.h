#pragma once

#include "platform/platform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace orbisk {

inline constexpr const char* CsvFileFilter = "CSVファイル(*.csv)|*.csv";

// RENAME: asks for a new title and gives it to every row of the disc's title. True when
// the catalogue changed. An empty title is refused as the registration refuses it; a
// failure is told and leaves the catalogue as it was.
class RenameCommand {
public:
    RenameCommand(Platform platform, std::filesystem::path catalogFile, std::string title)
        : platform_(platform), catalogFile_(std::move(catalogFile)), title_(std::move(title)) {}

    bool run();

private:
    Platform platform_;
    std::filesystem::path catalogFile_;
    std::string title_;
};

// REMOVE: after a question naming the title and its number of files, removes every row
// of that title. True when the catalogue changed.
class RemoveCommand {
public:
    RemoveCommand(Platform platform, std::filesystem::path catalogFile, std::string title)
        : platform_(platform), catalogFile_(std::move(catalogFile)), title_(std::move(title)) {}

    bool run();

private:
    Platform platform_;
    std::filesystem::path catalogFile_;
    std::string title_;
};

// EXPORT: writes the rows of one title, or of every title, as CSV to a file the user
// names: the six columns under their catalogue names, UTF-8 with a byte order mark (names
// that are not UTF-8 written as the program shows them). The file is replaced only when
// complete.
class ExportCommand {
public:
    ExportCommand(Platform platform, std::filesystem::path catalogFile,
                  std::optional<std::string> title)
        : platform_(platform), catalogFile_(std::move(catalogFile)), title_(std::move(title)) {}

    void run();

private:
    Platform platform_;
    std::filesystem::path catalogFile_;
    std::optional<std::string> title_;
};

} // namespace orbisk
