#pragma once

#include "platform/dialogs.h"

#include <filesystem>
#include <optional>

namespace orbisk {

// The catalogue a run uses: the file named on the command line; else Orbisk.mdb beside
// the program when it is there (a copy of the program kept with its catalogue on a stick
// or a share); else Orbisk.mdb in the user's data folder.
std::filesystem::path ChooseCatalog(const std::optional<std::filesystem::path>& named,
                                    const std::filesystem::path& programFolder,
                                    const std::filesystem::path& dataFolder);

// At start, a catalogue that is not there yet is offered to the user: on OK an empty one
// is made (and the data folder with it, where that is its place); on Cancel nothing is
// made and the window opens without one. A catalogue named in a folder that does not
// exist is only reported. Nothing here touches a file that is there.
void OfferNewCatalog(const std::filesystem::path& file, const std::filesystem::path& dataFolder,
                     Dialogs& dialogs);

} // namespace orbisk
