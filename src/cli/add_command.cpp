// add: registers the disc mounted at a folder, as ADD does.
#include "command.h"
#include "media/path_cuts.h"
#include "registration/register_disc.h"
#include "search/name_index.h"

namespace orbisk {

namespace {

constexpr OptionSpec ContentOption{"--content", "", ""};

int run(CommandRun& run) {
    const std::string drive = FolderAsDrive(run.words()[0]);
    Registration done = Registration::Failed;
    {
        TerminalProgress progress(run.terminal());
        done = RegisterDisc(run.platform(), run.catalog(), drive, *run.value(TitleOption), progress,
                            {}, run.has(ContentOption));
    }
    switch (done) {
    case Registration::Registered:
        // The next search finds the disc's files through the index.
        NameIndex(run.indexFolder(), run.catalog(), run.services().files).update();
        return Done;
    case Registration::Refused:
        return Refused;
    case Registration::Empty:
        return NothingToAdd;
    case Registration::Failed:
    case Registration::Stopped: // no stop is asked here
        break;
    }
    return Failed;
}

} // namespace

extern const Command AddCommand;
const Command AddCommand{
    "add",
    "FOLDER --title TITLE [--content] [--yes]",
    {"registers the disc mounted at FOLDER (any folder) under TITLE;\n"
     "--content reads every file (and packed file) whole and keeps its content\n"
     "fingerprint; --yes answers yes to a question (a disc registered before)",
     "FOLDER (どのフォルダでもよい) のディスクを TITLE で登録する。\n"
     "--content はすべてのファイル (書庫の中のファイルも) を読み、内容の指紋を残す。\n"
     "--yes は質問 (登録済みのディスク) に「はい」と答える"},
    1,
    {TitleOption, ContentOption, YesOption},
    {TitleOption},
    run,
};

} // namespace orbisk
