#include "support/volume_image.h"

#include "support/shell.h"

#include <filesystem>

namespace orbisk::testing {

VolumeImage::VolumeImage(Kind kind) : kind_(kind) {
    const std::string image = (dir_ / "volume.img").string();
    const std::string mount = folder();
    std::filesystem::create_directory(mount);
    switch (kind) {
    case Kind::Fat:
        mounted_ = RunQuietly("mkfs.vfat -C '" + image + "' 32768") &&
                   RunQuietly("fusefat -o rw+ '" + image + "' '" + mount + "'");
        break;
    case Kind::ExFat:
        // exfat-fuse takes a block device only.
        if (RunQuietly("truncate -s 32M '" + image + "' && mkfs.exfat '" + image + "'")) {
            loop_ = OutputOf("losetup -f --show '" + image + "' 2>/dev/null");
            mounted_ =
                !loop_.empty() && RunQuietly("mount.exfat-fuse '" + loop_ + "' '" + mount + "'");
        }
        break;
    case Kind::Ext2SmallInodes:
        if (RunQuietly("mkfs.ext2 -q -F -I 128 '" + image + "' 32M")) {
            loop_ = OutputOf("losetup -f --show '" + image + "' 2>/dev/null");
            mounted_ =
                !loop_.empty() && RunQuietly("mount -t ext2 '" + loop_ + "' '" + mount + "'");
        }
        break;
    }
    mounted_ = mounted_ && RunQuietly("mountpoint -q '" + mount + "'");
}

VolumeImage::~VolumeImage() {
    if (mounted_) {
        if (kind_ == Kind::Ext2SmallInodes) {
            RunQuietly("umount '" + folder() + "'");
        } else {
            RunQuietly("fusermount -u '" + folder() + "'");
        }
    }
    if (!loop_.empty()) {
        RunQuietly("losetup -d '" + loop_ + "'");
    }
}

} // namespace orbisk::testing
