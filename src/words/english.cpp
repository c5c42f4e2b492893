// The program's messages in English, which orbisk-cli speaks outside a Japanese locale.
#include "words.h"

#include <cstdlib>

namespace orbisk {

std::string English(const Message& message) {
    const auto text = [&message](std::size_t index) { return message.text(index); };
    // "1 file", "2 files".
    const auto count = [&message](std::size_t index, const char* one, const char* many) {
        const std::int64_t n = message.number(index);
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    // The verb that agrees with the count at index: "was" or "were".
    const auto many = [&message](std::size_t index, const char* one, const char* more) {
        return std::string(message.number(index) == 1 ? one : more);
    };
    // A value that is a text or lines of their own, worded.
    const auto said = [&message](std::size_t index) {
        return message.text(index) + Worded(message.lines(index), Language::English);
    };
    const auto engine = [&text](const char* sentence) {
        return std::string(sentence) + " (" + text(0) + ")";
    };
    switch (message.id) {
    case MessageId::ProgramName:
        return "Orbisk";
    case MessageId::RegisterTitle:
        return "Registering a disc";
    case MessageId::NoTitleTitle:
        return "No title";
    case MessageId::WrongTitleTitle:
        return "Wrong title";
    case MessageId::FindTitle:
        return "Finding files";
    case MessageId::TooManyHitsTitle:
        return "Too many files found.";
    case MessageId::CopyTitle:
        return "Copying files";
    case MessageId::SaveLogTitle:
        return "Saving the log";
    case MessageId::ExportTitle:
        return "CSV export";
    case MessageId::RenameTitle:
        return "Renaming";
    case MessageId::RemoveTitle:
        return "Removing a registration";
    case MessageId::ImagePickerTitle:
        return "Pick the disc's image file";

    case MessageId::Verbatim:
        return text(0);

    case MessageId::CatalogNotOpened:
        return "The catalogue could not be opened.";
    case MessageId::CatalogFolderMissing:
        return "The catalogue's folder does not exist.";
    case MessageId::OfferNewCatalog:
        return "There is no catalogue. Create a new one?";
    case MessageId::CatalogNotCreated:
        return "The catalogue could not be created.";
    case MessageId::CatalogUnchangeable:
        return "The catalogue cannot be changed.";
    case MessageId::NoSuchFile:
        return "There is no such file.";
    case MessageId::IsAFolder:
        return "It is a folder. Name the catalogue's file.";
    case MessageId::IsAFifo:
        return "It is a named pipe (FIFO), not a catalogue.";
    case MessageId::IsADevice:
        return "It is a device, not a catalogue.";
    case MessageId::NotAPlainFile:
        return "It is not a plain file.";
    case MessageId::NameTaken:
        return "A file of that name is there already.";
    case MessageId::CannotLookAtFile:
        return "The file cannot be looked at (" + text(0) + ").";
    case MessageId::CatalogFailed:
        return engine("The catalogue failed.");
    case MessageId::CatalogReadOnly:
        return engine("The catalogue cannot be written: the file or its folder is read-only.");
    case MessageId::CatalogCannotOpen:
        return engine("The catalogue cannot be opened.");
    case MessageId::CatalogBusy:
        return engine("Another program is using the catalogue. Try again in a moment.");
    case MessageId::CatalogDamaged:
        return engine("The catalogue is damaged.");
    case MessageId::NotACatalog:
        return engine("The file is not a catalogue.");
    case MessageId::DiskFull:
        return engine("The disk is full.");
    case MessageId::CatalogIoError:
        return engine("An input/output error occurred on the catalogue.");
    case MessageId::CatalogNoPermission:
        return engine("No permission to use the catalogue.");
    case MessageId::OutOfMemory:
        return engine("Out of memory.");
    case MessageId::CatalogMissingTable:
        return engine("The catalogue lacks one of its tables or columns.");

    case MessageId::EnterTitle:
        return "Give the disc a title.";
    case MessageId::AllIsNoTitle:
        return "\"ALL\" stands for every title and cannot name a disc.";
    case MessageId::TitleHasControl:
        return "A title cannot hold a line break, a tab or another control character.";
    case MessageId::BlankTitle:
        return "A title of blanks only cannot name a disc.";

    case MessageId::DiscNotReady:
        return "The disc " + text(0) + " is not ready.";
    case MessageId::CatalogRefusesDisc:
        return "The disc cannot be registered in the catalogue.";
    case MessageId::RegisteredBefore:
        return "This disc is registered as \"" + text(0) + "\". Register it again?";
    case MessageId::NothingToRegister:
        return "There was no file to register.";
    case MessageId::RegistrationFailed:
        return "An error occurred while storing the disc. The disc was not registered.";
    case MessageId::Registered:
        return "Done.";
    case MessageId::ArchivesRegistered:
        return count(1, "file", "files") + " packed in " + count(0, "archive", "archives") + " " +
               many(1, "was", "were") + " registered too.";
    case MessageId::ContentsUnread:
        return count(0, "file", "files") + " could not be read to the end and " +
               many(0, "has", "have") + " no content fingerprint.";
    case MessageId::FirstContentUnread:
        return "The first: " + text(0);
    case MessageId::UnreadableArchives:
        return count(0, "archive", "archives") + " could not be read and " +
               many(0, "was registered as a file", "were registered as files") + " only.";
    case MessageId::FirstUnreadableArchive:
        return "The first of them: " + text(0);
    case MessageId::CrowdedArchives:
        return count(0, "archive holds", "archives hold") +
               " too many files: " + many(0, "its", "the") + " first 100,000 " +
               many(0, "were", "of each were") + " registered.";
    case MessageId::MemberLimitReached:
        return "The archives held 1,000,000 files: the remaining archives were registered as "
               "files only.";
    case MessageId::ArchiveLinks:
        return count(0, "link", "links") + " in archives " + many(0, "was", "were") +
               " not registered.";
    case MessageId::OverlongMembers:
        return count(0, "file", "files") + " in archives with too long a path " +
               many(0, "was", "were") + " not registered.";
    case MessageId::MembersOutside:
        return count(0, "file", "files") + " in archives " + many(0, "has", "have") +
               " a path that leads outside (\"..\" or absolute); a copy takes " +
               many(0, "its", "their") + " name only.";
    case MessageId::SkippedFolders:
        return count(0, "folder", "folders") + " could not be read; the files in " +
               many(0, "it", "them") + " were not registered.";
    case MessageId::FolderLost:
        return text(0) + " could no longer be read.";
    case MessageId::FirstSkippedFolder:
        return "The first of them: " + text(0);
    case MessageId::Reason:
        return "Reason: " + said(0);
    case MessageId::CaptionReading:
        return "Orbisk[" + std::to_string(message.number(0)) + "%] reading the disc...";
    case MessageId::CaptionStoring:
        return "Orbisk[" + std::to_string(message.number(0)) + "%] storing...";
    case MessageId::CaptionFinishing:
        return "Orbisk[" + std::to_string(message.number(0)) + "%] finishing...";
    case MessageId::CaptionDone:
        return "Orbisk[" + std::to_string(message.number(0)) + "%] done";
    case MessageId::PathOverflow:
        return "Too many files on the disc: the rest is left out.";

    case MessageId::TooManyHits:
        return "Too many files match. Change the key or the title.";
    case MessageId::HitsFound:
        return "Orbisk [FileCopy]     " + count(0, "file", "files") + " found.";

    case MessageId::NothingMarked:
        return "No file to copy is selected.";
    case MessageId::InsertDisc:
        return "Insert the disc " + text(0) + ".";
    case MessageId::NotThisDisc:
        return "This disc is not \"" + text(0) + "\".";
    case MessageId::RegisteredAs:
        return "It is the disc registered as \"" + text(0) + "\".";
    case MessageId::ImageGone:
        return "The image file \"" + text(1) + "\" of \"" + text(0) + "\" is not at its place.";
    case MessageId::ImageNotReadable:
        return "The image file \"" + text(1) + "\" of \"" + text(0) + "\" cannot be read.";
    case MessageId::PointAtImage:
        return "Point at where the image file of \"" + text(0) + "\" is now?";
    case MessageId::PickedNotAnImage:
        return "\"" + text(0) + "\" does not read as a disc image.";
    case MessageId::ImageFiles:
        return "Disc images (*.iso *.img *.bin *.cue *.nrg *.mdf *.udf)|"
               "*.iso *.img *.bin *.cue *.nrg *.mdf *.udf|All files (*)|*";
    case MessageId::FileDiffersFromRegistration: {
        std::string differs = "The file on the disc is not as it was registered.";
        if (!text(0).empty()) {
            differs +=
                " Size: registered " + text(0) + " bytes, on the disc " + text(1) + " bytes.";
        }
        if (!text(2).empty()) {
            differs += " Date: registered " + text(2) + ", on the disc " + text(3) + ".";
        }
        return differs;
    }
    case MessageId::FileDiffersFromCatalog:
        return "The file on the disc is not the catalogue's (it may be another disc). Size: "
               "catalogue " +
               text(0) + " KB, on the disc " + text(1) + " KB.";
    case MessageId::ContentDiffersFromRegistration:
        return "The content of the file on the disc is not the registered one (its size and "
               "date are the same).";
    case MessageId::CopiesElsewhere:
        return "Copies on other discs: " + text(0) + ".";
    case MessageId::SourcePathTooLong:
        return "The path is too long for the file on the disc to be opened.";
    case MessageId::NameLeavesFolder:
        return "The file name holds a folder separator.";
    case MessageId::NameHasControl:
        return "The file name holds a control character.";
    case MessageId::NoPathInCatalog:
        return "The catalogue holds no path for the file.";
    case MessageId::NoDriveForPath:
        return "The file's path names no drive.";
    case MessageId::CopyStopped:
        return "The copy was stopped.";
    case MessageId::SourceShrank:
        return "The file being copied grew shorter during the copy.";
    case MessageId::TargetIsSource:
        return "The target is the file being copied.";
    case MessageId::NoDiscInDrive:
        return "no disc";

    case MessageId::ImageNotOpened:
        return "The disc image's file cannot be opened.";
    case MessageId::ImageEndsEarly:
        return "The disc image ends early.";
    case MessageId::CdTracksUnreadable:
        return "The CD's tracks cannot be read. A BIN file needs its CUE sheet (an MDF file is "
               "read only with 2048-byte sectors, as no library reads MDS files). (" +
               said(0) + ")";
    case MessageId::CdNotRecognised:
        return "libcdio does not take it for an image.";
    case MessageId::CdNoTracks:
        return "It has no tracks.";
    case MessageId::CdNoDataVolume:
        return "No data track holds an ISO 9660 volume.";
    case MessageId::LaterUdf:
        return "Disc images of UDF 2.00 or later cannot be read (UDF up to 1.50 and ISO 9660 "
               "can).";
    case MessageId::UdfDamaged:
        return "The UDF disc image cannot be read. It seems damaged.";
    case MessageId::NotAnImage:
        return "It is no disc image, or a damaged one (no ISO 9660 or UDF volume was found).";
    case MessageId::ImageDamaged:
        return "The disc image is damaged and cannot be read. (" + said(0) + ")";
    case MessageId::ImageUnreadable:
        return "The disc image cannot be read. (" + said(0) + ")";
    case MessageId::SectorUnreadable:
        return "Sector " + std::to_string(message.number(0)) + " cannot be read.";
    case MessageId::UdfFileNotReopened:
        return "The UDF file cannot be opened again.";
    case MessageId::UdfFileUnreadable:
        return "The UDF file cannot be read.";
    case MessageId::NotInImage:
        return text(0) + ": not in the disc image.";
    case MessageId::FolderNotInImage:
        return "The image holds no such folder.";
    case MessageId::ImageFileNotFound:
        return "The file was not found in the disc image.";
    case MessageId::ImageFileNotOpened:
        return "The file in the disc image cannot be opened.";
    case MessageId::ImageFileEndsEarly:
        return "The file in the disc image ends early.";
    case MessageId::ArchiveNotOpened:
        return "The archive cannot be opened.";
    case MessageId::NotAnArchive:
        return "It cannot be read as an archive.";
    case MessageId::ArchiveDamaged:
        return "The archive is damaged; the file cannot be taken out. (" + said(0) + ")";
    case MessageId::ArchiveOverflow:
        return "The file unpacked to more than the size the archive lists (" +
               std::to_string(message.number(0)) +
               " bytes) and was not taken out: a damaged archive, or one that unpacks too large.";
    case MessageId::ArchiveShort:
        return "The file unpacked to less than the size the archive lists (listed " +
               std::to_string(message.number(0)) + " bytes, unpacked " +
               std::to_string(message.number(1)) + " bytes): a damaged archive.";
    case MessageId::ArchiveChanged:
        return "The packed file is not as it was registered (no file of the same path and size "
               "at its place): the archive has changed.";
    case MessageId::ArchiveAmbiguous:
        return "The archive holds more than one file of the same path and size; which to take "
               "out is unknown. Register the disc again.";
    case MessageId::ArchiveEncrypted:
        return "The archive is protected by a password; the file cannot be taken out.";
    case MessageId::NotInArchive:
        return "The archive holds no such file.";

    case MessageId::NoFileName:
        return "Name a file.";
    case MessageId::LogNotSaved:
        return "The log could not be saved.";
    case MessageId::Saved:
        return "Saved.";
    case MessageId::LogFiles:
        return "Text files (*.txt)|*.txt";
    case MessageId::CsvFiles:
        return "CSV files (*.csv)|*.csv";
    case MessageId::CsvNotSaved:
        return "The CSV file could not be written.";
    case MessageId::NewTitlePrompt:
        return "New title:";
    case MessageId::MergeTitles:
        return "\"" + text(0) + "\" is registered already. Make the two discs one title?";
    case MessageId::TitleNotChanged:
        return "The title could not be changed.";
    case MessageId::RemoveQuestion:
        return "Remove the registration of \"" + text(0) + "\"?";
    case MessageId::FileCount:
        return count(0, "file", "files");
    case MessageId::RemoveFailed:
        return "The registration could not be removed.";
    }
    std::abort(); // an id outside the enumeration
}

} // namespace orbisk
