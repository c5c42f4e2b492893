#pragma once

#include "image/disc_image.h"
#include "platform/file_system.h"

#include <list>
#include <mutex>

namespace orbisk {

// The machine's files, where a disc image file is also a drive: a path whose leading part
// names an image file is served from inside the image, so the walk, a registration and a
// copy work on an image as on a disc in a drive. The image's own path is the drive text,
// and a path in it is that path, the separator, and the path inside:
// "/home/user/isos/PHOTOS.iso/DCIM/a.jpg".
//
// - walkPattern(image) is the image's path, the separator and "*.*", as for a folder.
// - driveOfPath(path in an image) is the image's path; when the image is gone, the
//   leading part of the path whose name says it is an image (IsImageName) followed by
//   more of the path, so a question can name it; else the machine's drive of the path.
// - isDriveReady(image) holds while the image file is there and opens as an image;
//   isPresentFile(image) while it is a file there, as for any file of the machine.
// - volumeOf(image) is what the image's volume says of itself, as libblkid says it of the
//   same disc in a drive (label, UUID, type).
// - listFolder, isPresentFile, fileFacts, openFolder, openForReading and copyFile of a
//   path in an image answer from the image; an image that is gone, replaced or cannot be
//   read has no folders and no files (empty listings, false, FileError, nothing).
// - fileIdentity and fileStamp of a path in an image are the image file's, with the path
//   inside; everything else is the machine's own.
// Images are opened once and kept while their file stays the same (its stamp), the last
// few used at a time. Usable from several threads, as the machine's files are.
class ImageFileSystem : public FileSystem {
public:
    explicit ImageFileSystem(FileSystem& files) : files_(files) {}

    // The image a path lies in, opened, and the path inside it ("" for the image itself);
    // nothing when the path names no image or the image cannot be read (then reason, when
    // asked for, says why).
    struct Place {
        std::shared_ptr<const DiscImage> image;
        std::string inside;
    };
    std::optional<Place> imageOf(const std::string& path, MessageLines* reason = nullptr) const;

    char separator() const override { return files_.separator(); }
    std::string walkPattern(const std::string& driveText) const override;
    std::string driveOfPath(const std::string& path) const override;
    bool isDriveReady(const std::string& drive) const override;
    std::vector<DriveEntry> drives() const override { return files_.drives(); }
    std::uint64_t drivesChangeCount() const override { return files_.drivesChangeCount(); }
    int drivesChangeDescriptor() const override { return files_.drivesChangeDescriptor(); }
    std::optional<FolderListing> listFolder(const std::string& folder,
                                            const std::string& namePattern) const override;
    bool isPresentFile(const std::string& path) const override;
    bool isPathTooLong(const std::string& path) const override;
    FileFacts fileFacts(const std::string& path) const override;
    std::unique_ptr<OpenFolder> openFolder(const std::string& folder) const override;
    std::optional<VolumeIdentity> volumeOf(const std::string& drive) const override;
    std::string fileIdentity(const std::string& path) const override;
    std::string fileStamp(const std::string& path) const override;
    FolderFailure folderFailure(const std::string& folder) const override;
    std::chrono::milliseconds stampUnsettledFor(const std::string& path) const override {
        return files_.stampUnsettledFor(path);
    }
    void prepareTarget(const std::string& folder) override { files_.prepareTarget(folder); }
    void copyFile(const std::string& source, const std::string& target,
                  std::stop_token stop = {}) override;
    std::unique_ptr<ReadableFile> openForReading(const std::string& path) const override;
    std::unique_ptr<FileWriter> newCopy(const std::string& target) override {
        return files_.newCopy(target);
    }
    void writeTextFile(const std::string& path, const std::string& text) override {
        files_.writeTextFile(path, text);
    }
    std::unique_ptr<FileWriter> createFile(const std::string& path) override {
        return files_.createFile(path);
    }
    void makePrivateFolder(const std::string& folder) override { files_.makePrivateFolder(folder); }
    std::unique_ptr<FileWriter> replaceFile(const std::string& path) override {
        return files_.replaceFile(path);
    }
    std::unique_ptr<FileLock> tryLock(const std::string& path) override {
        return files_.tryLock(path);
    }
    std::vector<std::string> folderEntries(const std::string& folder) const override {
        return files_.folderEntries(folder);
    }
    void removeFile(const std::string& path) override { files_.removeFile(path); }

private:
    struct Opened {
        std::string path;
        std::string stamp;
        std::shared_ptr<const DiscImage> image; // nothing where it could not be read
        MessageLines reason;
        std::uint64_t device = 0;
    };
    // The opened image path lies in (or is), brought up to date; nothing for other paths.
    std::optional<Opened> cached(const std::string& path) const;
    std::optional<Opened> open(const std::string& imagePath) const;
    // The image path lies in, found by asking the machine which leading part is a file.
    std::optional<Opened> find(const std::string& path) const;
    std::optional<std::pair<Opened, std::string>> locate(const std::string& path) const;

    FileSystem& files_;
    mutable std::mutex mutex_;
    mutable std::list<Opened> opened_; // the most recently used first
};

} // namespace orbisk
