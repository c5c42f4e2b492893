#pragma once

#include "platform/platform.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

namespace orbisk {

// RENAME: asks for a new title and gives it to every row of the disc's title. True when
// the catalogue changed. A title the registration would refuse is refused here too; a
// title that is already registered makes one disc of two only after a question that
// says so. A failure is told and leaves the catalogue as it was.
bool RenameTitle(Platform platform, const std::filesystem::path& catalogFile,
                 const std::string& title);

// REMOVE: after a question naming the title and its number of files, removes every row
// of that title. True when the catalogue changed. The two steps below, one after the
// other.
bool RemoveTitle(Platform platform, const std::filesystem::path& catalogFile,
                 const std::string& title);

// REMOVE's question: true when the user said OK. A catalogue that cannot be read is told
// here.
bool AskToRemoveTitle(Platform platform, const std::filesystem::path& catalogFile,
                      const std::string& title);

// REMOVE's work, after its question: removes every row of the title, waiting a while for
// another program that holds the catalogue. Asks nothing and shows nothing, so that it can
// run on a thread of its own while a window stays responsive. The message to show when
// it failed (the catalogue is then as it was), or nothing.
std::optional<Notice> RemoveTitleRows(const std::filesystem::path& catalogFile,
                                      const std::string& title);

// EXPORT: writes the rows of one title, or of every title, as CSV to a file the user
// names (the dialog suggests the title and today's date); see WriteCsv. Says how it ended,
// except when stopped: then no file is made and nothing is said.
void ExportCsv(Platform platform, const std::filesystem::path& catalogFile,
               const std::optional<std::string>& title, std::stop_token stop = {});

// The CSV of the rows of one title, or of every title: the six columns under their
// catalogue names and the path of a file packed in an archive (ExportRows), UTF-8 with a byte order
// mark (names that are not UTF-8 written as the program shows them), each cell that a spreadsheet
// would take for a formula kept as text. The file is replaced only when complete: false when
// a stop was asked first, and the file is then as it was.
bool WriteCsv(const std::filesystem::path& catalogFile, const std::optional<std::string>& title,
              FileWriter& file, std::stop_token stop = {});

} // namespace orbisk
