// add-images: registers every disc image under a folder, each under a title of its own.
#include "catalog/title_rows.h"
#include "command.h"
#include "image/image_batch.h"
#include "media/disc_check.h"
#include "media/path_cuts.h"
#include "registration/register_disc.h"
#include "search/name_index.h"

#include <set>

namespace orbisk {

namespace {

inline constexpr OptionSpec DryRunOption{"--dry-run", "", ""};

// What came of one image, as the record's second field says it: fixed words, for scripts.
std::string_view OutcomeWord(Registration done) {
    switch (done) {
    case Registration::Registered:
        return "registered";
    case Registration::Empty:
        return "empty";
    case Registration::Refused:
        return "refused";
    case Registration::Failed:
    case Registration::Stopped:
        break;
    }
    return "failed";
}

int run(CommandRun& run) {
    const FileSystem& files = run.services().files;
    const std::string folder = FolderAsDrive(run.words()[0]);
    const bool dryRun = run.has(DryRunOption);
    Output output(run.services().out, run.has(NullOption));
    std::set<std::string> taken;
    try {
        for (std::string& title : ReadTitles(run.catalog())) {
            taken.insert(std::move(title));
        }
    } catch (const std::exception& error) {
        return run.catalogFailed(error);
    }
    int status = Done;
    bool registered = false;
    for (const std::string& image : FindImages(files, folder)) {
        if (!files.isDriveReady(image)) {
            output.record({image, "unreadable", ""});
            status = Failed;
            continue;
        }
        // An image registered before, by its volume or its whole walk, is passed over.
        if (const auto before = TitleOfDiscIn(run.catalog(), files, image)) {
            output.record({image, "registered-before", *before});
            continue;
        }
        const auto volume = files.volumeOf(image);
        const std::string title =
            ImageTitle(volume ? volume->label : "", image, files.separator(), taken);
        taken.insert(title);
        if (dryRun) {
            output.record({image, "would-register", title});
            continue;
        }
        Registration done = Registration::Failed;
        {
            TerminalProgress progress(run.terminal());
            done = RegisterDisc(run.platform(), run.catalog(), image, title, progress);
        }
        output.record({image, OutcomeWord(done), title});
        if (done == Registration::Registered) {
            registered = true;
        } else if (done != Registration::Empty) {
            status = Failed;
        }
    }
    if (registered) {
        // The next search finds the images' files through the index.
        NameIndex(run.indexFolder(), run.catalog(), run.services().files).update();
    }
    return run.written(output, status);
}

} // namespace

extern const Command AddImagesCommand;
const Command AddImagesCommand{
    "add-images",
    "FOLDER [--dry-run] [-0]",
    {"registers every disc image under FOLDER, each under its volume's label or its file's\n"
     "name made unique, passing over images registered before; one line an image: path,\n"
     "outcome (registered, registered-before, would-register, empty, refused, unreadable,\n"
     "failed), title (tabs); --dry-run registers nothing",
     "FOLDER 以下のディスクイメージをすべて、ボリュームラベルかファイル名 (重ならないように)\n"
     "で登録する。登録済みのイメージは飛ばす。イメージごとに 1 行: パス、結果 (registered、\n"
     "registered-before、would-register、empty、refused、unreadable、failed)、タイトル\n"
     "(タブ区切り)。--dry-run は何も登録しない"},
    1,
    {DryRunOption, NullOption},
    {},
    run,
};

} // namespace orbisk
