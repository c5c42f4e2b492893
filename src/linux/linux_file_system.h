#pragma once

#include "mount_table.h"
#include "platform/file_system.h"

#include <mutex>

namespace orbisk {

// The file system of this machine: "/" paths, drives are mount points or picked folders.
class LinuxFileSystem : public FileSystem {
public:
    char separator() const override { return '/'; }
    std::string walkPattern(const std::string& driveText) const override;
    std::string driveOfPath(const std::string& path) const override;
    bool isDriveReady(const std::string& drive) const override;
    std::vector<DriveEntry> drives() const override;
    std::uint64_t drivesChangeCount() const override;
    int drivesChangeDescriptor() const override { return mounts_.descriptor(); }
    std::optional<FolderListing> listFolder(const std::string& folder,
                                            const std::string& namePattern) const override;
    bool isPresentFile(const std::string& path) const override;
    bool isPathTooLong(const std::string& path) const override;
    FileFacts fileFacts(const std::string& path) const override;
    std::unique_ptr<OpenFolder> openFolder(const std::string& folder) const override;
    std::optional<VolumeIdentity> volumeOf(const std::string& drive) const override;
    std::string fileIdentity(const std::string& path) const override;
    std::string fileStamp(const std::string& path) const override;
    std::chrono::milliseconds stampUnsettledFor(const std::string& path) const override;
    FolderFailure folderFailure(const std::string& folder) const override;
    void prepareTarget(const std::string& folder) override;
    void copyFile(const std::string& source, const std::string& target,
                  std::stop_token stop = {}) override;
    std::unique_ptr<ReadableFile> openForReading(const std::string& path) const override;
    std::unique_ptr<FileWriter> newCopy(const std::string& target) override;
    void writeTextFile(const std::string& path, const std::string& text) override;
    std::unique_ptr<FileWriter> createFile(const std::string& path) override;
    void makePrivateFolder(const std::string& folder) override;
    std::unique_ptr<FileWriter> replaceFile(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;
    std::vector<std::string> folderEntries(const std::string& folder) const override;
    void removeFile(const std::string& path) override;

private:
    // A command's worker and the window's thread both ask: one of them reads the table
    // again at a time, and no one reads it while it is read again.
    mutable std::mutex mountsLock_;
    mutable MountWatch mounts_;
};

// What the volume on device (a block device, or an image file) says of itself, read with
// libblkid; nothing when it cannot be read or says nothing.
std::optional<VolumeIdentity> ProbeVolume(const std::string& device);

// text (UTF-8) in the character set codeset; bytes that are not UTF-8, or that the
// character set cannot hold, are kept as they are.
std::string ToCodePage(const std::string& text, const std::string& codeset);

} // namespace orbisk
