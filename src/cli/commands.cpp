#include "commands.h"

#include <algorithm>
#include <iterator>

namespace orbisk {

// Each is defined in a file of its own; a new command is declared here and takes a line
// in the table below.
extern const Command FindFilesCommand;
extern const Command TitlesCommand;
extern const Command DiscsCommand;
extern const Command ExportCommand;
extern const Command AddCommand;
extern const Command AddImagesCommand;
extern const Command CopyCommand;
extern const Command IndexCommand;
extern const Command VerifyCommand;
extern const Command DupsCommand;
extern const Command OnlyHereCommand;

namespace {

const Command* const All[] = {
    &FindFilesCommand, //
    &TitlesCommand,    //
    &DiscsCommand,     //
    &ExportCommand,    //
    &AddCommand,       //
    &AddImagesCommand, //
    &CopyCommand,      //
    &IndexCommand,     //
    &VerifyCommand,    //
    &DupsCommand,      //
    &OnlyHereCommand,  //
};

} // namespace

std::span<const Command* const> Commands() {
    return All;
}

const Command* FindCommand(std::string_view name) {
    const auto found = std::find_if(std::begin(All), std::end(All),
                                    [name](const Command* c) { return c->name == name; });
    return found == std::end(All) ? nullptr : *found;
}

} // namespace orbisk
