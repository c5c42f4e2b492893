#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orbisk {

// Everything the core tells the user, by what it means. The core never words a message:
// each front end does, the windows in their Japanese and orbisk-cli in the user's
// language. A new message is a new id here and its wording in each language (the
// compiler names every wording that lacks it).
enum class MessageId {
    // The titles of message boxes: the command's name or a short statement of the problem.
    ProgramName,
    RegisterTitle,
    NoTitleTitle,
    WrongTitleTitle,
    FindTitle,
    TooManyHitsTitle,
    CopyTitle,
    SaveLogTitle,
    ExportTitle,
    RenameTitle,
    RemoveTitle,
    ImagePickerTitle,

    // A value said as it is: a path, or the system's own words for a failure.
    Verbatim, // text

    // The catalogue.
    CatalogNotOpened,
    CatalogFolderMissing,
    OfferNewCatalog,
    CatalogNotCreated,
    CatalogUnchangeable,
    // Why a file cannot be the catalogue, or be written.
    NoSuchFile,
    IsAFolder,
    IsAFifo,
    IsADevice,
    NotAPlainFile,
    NameTaken,
    CannotLookAtFile, // the system's words
    // What the engine refused, each with the engine's own words.
    CatalogFailed,
    CatalogReadOnly,
    CatalogCannotOpen,
    CatalogBusy,
    CatalogDamaged,
    NotACatalog,
    DiskFull,
    CatalogIoError,
    CatalogNoPermission,
    OutOfMemory,
    CatalogMissingTable,

    // Why a title cannot name a disc.
    EnterTitle,
    AllIsNoTitle,
    TitleHasControl,
    BlankTitle,

    // A registration.
    DiscNotReady, // title
    CatalogRefusesDisc,
    RegisteredBefore, // title
    NothingToRegister,
    RegistrationFailed,
    Registered,
    ArchivesRegistered,     // archives, packed files
    ContentsUnread,         // count: files whose content could not be read whole
    FirstContentUnread,     // path
    UnreadableArchives,     // count
    FirstUnreadableArchive, // path
    CrowdedArchives,        // count
    MemberLimitReached,
    ArchiveLinks,       // count
    OverlongMembers,    // count
    MembersOutside,     // count
    SkippedFolders,     // count
    FolderLost,         // path
    FirstSkippedFolder, // path
    Reason,             // lines: why
    CaptionReading,     // percent
    CaptionStoring,     // percent
    CaptionFinishing,   // percent
    CaptionDone,        // percent
    PathOverflow,

    // A search.
    TooManyHits,
    HitsFound, // count

    // A copy.
    NothingMarked,
    InsertDisc,       // title
    NotThisDisc,      // title
    RegisteredAs,     // title
    ImageGone,        // title, path
    ImageNotReadable, // title, path: there, but no image this user can read
    PointAtImage,     // title
    PickedNotAnImage, // path
    ImageFiles,
    // Why a file was not copied, in the copy log.
    FileDiffersFromRegistration, // registered bytes, disc bytes, registered date, disc date
                                 // (texts; the two of each pair empty where they agree)
    FileDiffersFromCatalog,      // catalogued KB, disc KB (texts)
    ContentDiffersFromRegistration,
    CopiesElsewhere, // the other discs' copies of the file (text)
    SourcePathTooLong,
    NameLeavesFolder,
    NameHasControl,
    NoPathInCatalog,
    NoDriveForPath,
    CopyStopped,
    SourceShrank,
    TargetIsSource,
    NoDiscInDrive, // a drive's note in the list of drives

    // Why a disc image, a file in it or an archive cannot be read.
    ImageNotOpened,
    ImageEndsEarly,
    CdTracksUnreadable, // lines: why
    CdNotRecognised,
    CdNoTracks,
    CdNoDataVolume,
    LaterUdf,
    UdfDamaged,
    NotAnImage,
    ImageDamaged,     // the reader's words
    ImageUnreadable,  // lines: why
    SectorUnreadable, // sector
    UdfFileNotReopened,
    UdfFileUnreadable,
    NotInImage, // path
    FolderNotInImage,
    ImageFileNotFound,
    ImageFileNotOpened,
    ImageFileEndsEarly,
    ArchiveNotOpened,
    NotAnArchive,
    ArchiveDamaged,  // the reader's words
    ArchiveOverflow, // listed bytes
    ArchiveShort,    // listed bytes, unpacked bytes
    ArchiveChanged,
    ArchiveAmbiguous,
    ArchiveEncrypted,
    NotInArchive,

    // Saving the log, exporting, renaming and removing.
    NoFileName,
    LogNotSaved,
    Saved,
    LogFiles,
    CsvFiles,
    CsvNotSaved,
    NewTitlePrompt,
    MergeTitles, // title
    TitleNotChanged,
    RemoveQuestion, // title
    FileCount,      // count
    RemoveFailed,
};

// The last id: ids run from 0 to it without a gap, so that a test can word every one.
inline constexpr MessageId LastMessageId = MessageId::RemoveFailed;

struct Message;

// Lines a message quotes as one of its values: the reason inside a statement, such as why
// an image could not be read.
struct NestedLines {
    std::shared_ptr<const std::vector<Message>> lines;
    bool operator==(const NestedLines& other) const;
};

// A value a message quotes: a text (a title, a path, the system's words), a count, or
// other messages.
using MessageValue = std::variant<std::string, std::int64_t, NestedLines>;

// One message: what it says and the values it quotes, in the order its id lists them.
struct Message {
    MessageId id;
    std::vector<MessageValue> values;

    // The value at index as a text, or the empty text where it is none.
    const std::string& text(std::size_t index) const;
    // The value at index as a count, or 0 where it is none.
    std::int64_t number(std::size_t index) const;
    // The value at index as messages, or none where it is none.
    const std::vector<Message>& lines(std::size_t index) const;
    bool operator==(const Message&) const = default;
};

// What a message box or a line of output says: one message per line.
using MessageLines = std::vector<Message>;

// A message box's title and lines. A box without a title of its own has the program's.
struct Notice {
    std::optional<MessageId> title;
    MessageLines lines;
};

// A value said as it is.
Message Verbatim(std::string text);

// A count, as a message value.
MessageValue Count(std::int64_t count);

// Messages, as a message value.
MessageValue Nested(MessageLines lines);

// lines, then the lines of more.
MessageLines Then(MessageLines lines, const MessageLines& more);

} // namespace orbisk
