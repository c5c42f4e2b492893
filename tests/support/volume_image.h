#pragma once

#include "support/temp_dir.h"

#include <string>

namespace orbisk::testing {

// A small file system of one kind, made in an image file and mounted read-write on a
// temporary folder for the length of a test, as a stick or an older disk would be: FAT
// through fusefat, exFAT through exfat-fuse on a loop device, ext2 with 128-byte inodes
// on a loop device. These keep file times in whole seconds (two on FAT). mounted() says
// whether it worked: it needs root, loop devices, FUSE and the tools.
class VolumeImage {
public:
    enum class Kind { Fat, ExFat, Ext2SmallInodes };
    explicit VolumeImage(Kind kind);
    ~VolumeImage();
    VolumeImage(const VolumeImage&) = delete;
    VolumeImage& operator=(const VolumeImage&) = delete;

    bool mounted() const { return mounted_; }
    std::string folder() const { return (dir_ / "mount").string(); }

private:
    Kind kind_;
    TempDir dir_;
    std::string loop_; // the loop device, where one is used
    bool mounted_ = false;
};

} // namespace orbisk::testing
