#pragma once

#include "image/image_tree.h"
#include "platform/file_system.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// A disc image that cannot be read as a disc; what() says why, in Japanese.
class ImageError : public FileError {
public:
    using FileError::FileError;
};

// What of an image could not be read. A damaged image is read as far as it goes.
struct ImageDamage {
    std::int32_t unreadable = 0; // entries or folders passed over
    bool endedEarly = false;     // the listing stopped before the end (more may be missing)
    MessageLines reason;         // why, for the first problem
    bool any() const { return unreadable > 0 || endedEarly; }
};

// A disc image file read as the disc it holds, without mounting it: ISO 9660 (with Rock
// Ridge or Joliet names) and UDF 1.02 to 1.50 images, .mdf images of 2048-byte sectors,
// and CD images of tracks (a BIN with its cue sheet, a Nero .nrg), whose last session is
// read. The kind is told by the content, never by the name. Immutable once open, so one
// image may serve several threads.
class DiscImage {
public:
    enum class Kind {
        Iso9660, // 2048-byte sectors, read by libarchive
        Udf,     // read by libudf
        CdTracks // read by libcdio, its ISO 9660 file system by libarchive
    };

    // Opens the image file at path, through files where its bytes are read directly.
    // Throws ImageError when it is no image or one that cannot be read.
    static std::shared_ptr<const DiscImage> Open(const FileSystem& files, const std::string& path);

    const std::string& path() const { return path_; }
    Kind kind() const { return kind_; }
    // What the volume says of itself, as libblkid says it of the same disc in a drive.
    const VolumeIdentity& volume() const { return volume_; }
    const ImageTree& tree() const { return tree_; }
    const ImageDamage& damage() const { return damage_; }

    // The bytes of the file node; nothing for a folder. Usable from any thread.
    std::unique_ptr<ReadableFile> openFile(ImageTree::Index node) const;

private:
    DiscImage() = default;

    std::string path_;
    Kind kind_ = Kind::Iso9660;
    VolumeIdentity volume_;
    ImageTree tree_;
    ImageDamage damage_;
    std::shared_ptr<ReadableFile> data_; // the 2048-byte sectors, for ISO 9660 kinds
};

// Whether a file of this name is worth offering as a disc image (.iso .img .bin .cue .nrg
// .mdf .udf), as a file dialog's filter and a search of a folder would; what it is, its
// content tells.
bool IsImageName(std::string_view name);
// Whether a drive is a disc image file rather than a disc in a drive or a folder: a disc in
// it is no disc in a tray, and nobody is asked to put it in. A file at the drive's path is
// an image, whatever its name; else what its registration found (registered); and only
// for a registration that did not keep that, the drive's name, unless a folder is there.
bool IsImageDrive(const FileSystem& files, const std::string& drive,
                  std::optional<bool> registered);

} // namespace orbisk
