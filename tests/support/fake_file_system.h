#pragma once

#include "platform/file_system.h"
#include "support/transcript.h"

#include <map>
#include <set>

namespace orbisk::testing {

enum Attribute : unsigned {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Volume = 8,
    Folder = 16,
    Archive = 32
};

// An in-memory file system in the Windows form: drives such as "e:", backslashes,
// attributes, a ready flag per drive, entries listed in the order they were added.
class FakeFileSystem : public FileSystem {
public:
    explicit FakeFileSystem(Transcript* transcript = nullptr) : transcript_(transcript) {}

    void addDrive(const std::string& drive, bool ready = true, DriveKind kind = DriveKind::Fixed);
    // Takes a drive out of the drive list, as an unmounted volume leaves it.
    void removeDrive(const std::string& drive);
    void setReady(const std::string& drive, bool ready);
    // Adds a file, and the folders above it that are missing.
    void addFile(const std::string& path, std::uint64_t size = 0, unsigned attributes = 0);
    void addFolder(const std::string& path);
    void remove(const std::string& path) { nodes_.erase(path); }
    void failListing(const std::string& folder) { unreadable_.insert(folder); }
    void failCopies(const std::string& reason) { copyFailure_ = reason; }

    const std::map<std::string, std::string>& copies() const { return copies_; }
    // The folders made ready for copies, in order.
    const std::vector<std::string>& prepared() const { return prepared_; }

    char separator() const override { return '\\'; }
    std::string walkPattern(const std::string& driveText) const override;
    std::string driveOfPath(const std::string& path) const override { return path.substr(0, 2); }
    bool isDriveReady(const std::string& drive) const override;
    std::vector<DriveEntry> drives() const override;
    std::uint64_t drivesChangeCount() const override { return driveChanges_; }
    int drivesChangeDescriptor() const override { return -1; }
    std::optional<FolderListing> listFolder(const std::string& folder,
                                            const std::string& namePattern) const override;
    bool isPresentFile(const std::string& path) const override;
    bool isPathTooLong(const std::string& path) const override { return path.size() > 260; }
    FileFacts fileFacts(const std::string& path) const override;
    std::unique_ptr<OpenFolder> openFolder(const std::string& folder) const override;
    std::optional<VolumeIdentity> volumeOf(const std::string& drive) const override;
    // What a drive's volume says of itself, until told otherwise nothing.
    void setVolume(const std::string& drive, const VolumeIdentity& volume) {
        volumes_[drive] = volume;
    }
    // Changes a file in place: its size and its time of change.
    void setFacts(const std::string& path, const FileFacts& facts);
    // Real files (catalogues in tests) are told apart by their path alone.
    std::string fileIdentity(const std::string& path) const override;
    void prepareTarget(const std::string& folder) override;
    void copyFile(const std::string& source, const std::string& target,
                  std::stop_token stop = {}) override;
    // A file's bytes are its content where one was set, else as many zeros as its size.
    void setContent(const std::string& path, const std::string& content);
    std::unique_ptr<ReadableFile> openForReading(const std::string& path) const override;
    std::unique_ptr<FileWriter> newCopy(const std::string& target) override;
    void writeTextFile(const std::string& path, const std::string& text) override;
    std::unique_ptr<FileWriter> createFile(const std::string& path) override;
    // The program's own files (a name index) are kept on a real file system only.
    std::string fileStamp(const std::string&) const override { return ""; }
    FolderFailure folderFailure(const std::string&) const override { return {}; }
    std::chrono::milliseconds stampUnsettledFor(const std::string&) const override {
        return std::chrono::milliseconds(0);
    }
    void makePrivateFolder(const std::string& folder) override {
        throw FileError(folder + ": not on this file system");
    }
    std::unique_ptr<FileWriter> replaceFile(const std::string& path) override {
        throw FileError(path + ": not on this file system");
    }
    std::unique_ptr<FileLock> tryLock(const std::string&) override { return nullptr; }
    std::vector<std::string> folderEntries(const std::string&) const override { return {}; }
    void removeFile(const std::string&) override {}
    // The files written through createFile and committed, by name.
    const std::map<std::string, std::string>& written() const { return written_; }

private:
    struct Node {
        std::uint64_t size = 0;
        std::int64_t modified = 1070000000; // 2003-12-28
        unsigned attributes = 0;
        std::vector<std::string> children; // names, in the order added
        std::uint64_t inode = 0;
    };
    void link(const std::string& path, const Node& node);

    Transcript* transcript_;
    std::map<std::string, Node> nodes_; // folders end with the separator
    std::map<std::string, bool> ready_;
    std::vector<DriveEntry> drives_; // in the order added
    std::uint64_t driveChanges_ = 0;
    std::set<std::string> unreadable_;
    std::string copyFailure_;
    std::uint64_t lastInode_ = 0;
    std::map<std::string, std::string> copies_; // target -> source
    std::vector<std::string> prepared_;
    std::map<std::string, std::string> written_;
    std::map<std::string, VolumeIdentity> volumes_;
    std::map<std::string, std::string> contents_;
};

} // namespace orbisk::testing
