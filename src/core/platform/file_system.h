#pragma once

#include "messages/failure.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// A file operation that failed: in the system's words, or for one of the program's own
// reasons. Where a copy fails, reason() is the copy log's reason.
class FileError : public Failure {
public:
    using Failure::Failure;
};

// A copy given up because a stop was asked: nothing of it is left at its target.
class CopyStopped : public FileError {
public:
    CopyStopped() : FileError(MessageLines{{MessageId::CopyStopped, {}}}) {}
};

// What tells one folder from another on this machine (device and inode here), whatever
// path it was reached by.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
    bool operator<(const FolderIdentity& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

struct Subfolder {
    std::string name;
    FolderIdentity identity;
};

// The files and subfolders of one folder, in the order the file system gives them.
struct FolderListing {
    FolderIdentity identity;
    std::vector<std::string> files;
    std::vector<Subfolder> subfolders;
};

// Why a folder cannot be listed: the system's reason, and whether it was taken away (gone,
// or its disc no longer answers) rather than refused to this user.
struct FolderFailure {
    MessageLines reason; // empty when the folder can be listed
    bool lost = false;
};

// What a drive is, so that a registration can start on the disc rather than the system.
enum class DriveKind {
    Optical,   // a disc drive, with or without a disc in it
    Removable, // a volume mounted where desktops mount removable media
    Fixed      // anything else
};

// What a file is, as far as telling it from another of the same name goes.
struct FileFacts {
    std::uint64_t bytes = 0;
    std::int64_t modified = 0; // seconds since 1970-01-01 00:00 UTC
    bool operator==(const FileFacts&) const = default;
};

// What a volume says of itself: its label and its file system's UUID (for ISO 9660 the
// volume's creation time) and type.
struct VolumeIdentity {
    std::string label;
    std::string uuid;
    std::string type;
    bool operator==(const VolumeIdentity&) const = default;
};

// One entry of a drive list: the text a command works with and the text shown for it. A
// drive without a disc names its device, which the front end shows with its own note.
struct DriveEntry {
    std::string drive;
    std::string display;
    DriveKind kind = DriveKind::Fixed;
    std::string emptyDevice{}; // the device of a drive without a disc, else empty
    bool operator==(const DriveEntry&) const = default;
};

// A file being written: it takes its name's place only when committed, and is gone if
// it never is. Failures throw FileError.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;
};

// A file open for reading at any place in it.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    virtual std::uint64_t size() const = 0;
    // Up to count bytes from offset into bytes; fewer only at the end. Throws FileError.
    virtual std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) = 0;
};

// Held while alive: no other holder of a lock on the same file, in this process or
// another, can take it meanwhile.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// A folder held open to ask the files in it by name, which spares the system a walk of the
// folder's whole path for each file.
class OpenFolder {
public:
    virtual ~OpenFolder() = default;
    // As FileSystem::fileFacts for the file name in the folder.
    virtual FileFacts fileFacts(const std::string& name) const = 0;
};

// The machine's files and drives, and the path rules that go with them. Paths are byte
// strings exactly as the file system gives them; nothing here assumes they are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual char separator() const = 0;
    // The pattern a registration walks for the drive text of a drive list.
    virtual std::string walkPattern(const std::string& driveText) const = 0;
    // The drive a catalogued path lives on, in the form isDriveReady takes.
    virtual std::string driveOfPath(const std::string& path) const = 0;
    // True only when the drive's media can be read now; never throws.
    virtual bool isDriveReady(const std::string& drive) const = 0;
    // Optical drives first, then the other volumes that hold user data.
    virtual std::vector<DriveEntry> drives() const = 0;
    // A number that changes whenever the drives may have changed (a volume mounted or
    // unmounted, a disc put in or taken out); cheap enough to ask every second.
    virtual std::uint64_t drivesChangeCount() const = 0;
    // A descriptor that becomes readable when the drives may have changed, for a window
    // to wait on; -1 where the system offers none (then drivesChangeCount is asked now and
    // then). Reading drivesChangeCount takes what it announced.
    virtual int drivesChangeDescriptor() const = 0;

    // The plain files of folder (a prefix ending in the separator) whose names match the
    // listing wildcard namePattern (empty means every name), and all real subfolders, each
    // with its identity, learnt without entering it. Empty when the folder cannot be read.
    virtual std::optional<FolderListing> listFolder(const std::string& folder,
                                                    const std::string& namePattern) const = 0;
    // Why folder cannot be listed now; an empty reason when it can.
    virtual FolderFailure folderFailure(const std::string& folder) const = 0;
    // True for a plain file of any attributes; false for folders, links and anything else.
    virtual bool isPresentFile(const std::string& path) const = 0;
    // True when path is longer than the system lets a file be reached by.
    virtual bool isPathTooLong(const std::string& path) const = 0;
    // Size and time of change of a plain file, not following a link; throws FileError when
    // the file cannot be asked. May be called from a thread of its own while the program's
    // thread does other work.
    virtual FileFacts fileFacts(const std::string& path) const = 0;
    // folder (a path without the closing separator) held open, or nothing where it cannot
    // be opened. Usable from a thread of its own, as fileFacts.
    virtual std::unique_ptr<OpenFolder> openFolder(const std::string& folder) const = 0;
    // What the volume mounted at drive says of itself, where it is a device that can say
    // it; nothing for a folder, a network share or a mount of a disc image through FUSE.
    virtual std::optional<VolumeIdentity> volumeOf(const std::string& drive) const = 0;
    // What tells this file from another put in its place (device and inode here); empty
    // when there is no such file.
    virtual std::string fileIdentity(const std::string& path) const = 0;
    // What changes whenever anything writes the file or puts another in its place
    // (identity, size, times of change); empty when there is no such file, or it is empty.
    virtual std::string fileStamp(const std::string& path) const = 0;
    // How long from now until any change of the file surely changes its fileStamp. A file
    // system keeps times in steps (whole seconds on many, two on FAT): a change made
    // within the step of the file's last change may leave its look as it was. Zero when
    // that step is past, or there is no such file or it is empty (any write then changes
    // the look); long while the file's times lie ahead of the clock.
    virtual std::chrono::milliseconds stampUnsettledFor(const std::string& path) const = 0;
    // Called before a run of copies into folder: clears what an earlier run that was
    // killed left there.
    virtual void prepareTarget(const std::string& folder) = 0;
    // Replaces target with a copy of source, or leaves target as it was and throws. A stop
    // asked while a large file is copied ends the copy within a moment (CopyStopped).
    virtual void copyFile(const std::string& source, const std::string& target,
                          std::stop_token stop = {}) = 0;
    // The plain file at path, open for reading, not through a link; nothing when it cannot
    // be opened.
    virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path) const = 0;
    // A copy being written to replace target, as copyFile writes it: under a temporary
    // name beside target, renamed over it when committed, writable by its owner.
    virtual std::unique_ptr<FileWriter> newCopy(const std::string& target) = 0;
    // Writes text (UTF-8, path bytes kept) in the system's multibyte code page, replacing
    // the file whole, or leaves it as it was and throws.
    virtual void writeTextFile(const std::string& path, const std::string& text) = 0;
    // A file the user named, to be written byte for byte and replace the file of that
    // name only when complete, as writeTextFile does.
    virtual std::unique_ptr<FileWriter> createFile(const std::string& path) = 0;

    // The program's own files, kept in a folder of its own (a cache): a folder made for
    // this user alone where it is missing; never a link, at any of these steps. Failures
    // throw FileError.
    virtual void makePrivateFolder(const std::string& folder) = 0;
    // A file written under a temporary name and renamed over path when committed: a link
    // at path is replaced, never followed.
    virtual std::unique_ptr<FileWriter> replaceFile(const std::string& path) = 0;
    // The lock of the file at path (made when missing); nothing while another holds it.
    virtual std::unique_ptr<FileLock> tryLock(const std::string& path) = 0;
    // The names of the entries of folder; empty when it cannot be read.
    virtual std::vector<std::string> folderEntries(const std::string& folder) const = 0;
    // Removes the file at path, a link itself rather than what it points to; quietly
    // nothing when there is none.
    virtual void removeFile(const std::string& path) = 0;
};

} // namespace orbisk
