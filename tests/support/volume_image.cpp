#include "support/volume_image.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace orbisk::testing {

namespace {

bool run(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            text += buffer.data();
        }
        pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

VolumeImage::VolumeImage(Kind kind) : kind_(kind) {
    const std::string image = (dir_ / "volume.img").string();
    const std::string mount = folder();
    std::filesystem::create_directory(mount);
    switch (kind) {
    case Kind::Fat:
        mounted_ = run("mkfs.vfat -C '" + image + "' 32768") &&
                   run("fusefat -o rw+ '" + image + "' '" + mount + "'");
        break;
    case Kind::ExFat:
        // exfat-fuse takes a block device only.
        if (run("truncate -s 32M '" + image + "' && mkfs.exfat '" + image + "'")) {
            loop_ = output("losetup -f --show '" + image + "' 2>/dev/null");
            mounted_ = !loop_.empty() && run("mount.exfat-fuse '" + loop_ + "' '" + mount + "'");
        }
        break;
    case Kind::Ext2SmallInodes:
        if (run("mkfs.ext2 -q -F -I 128 '" + image + "' 32M")) {
            loop_ = output("losetup -f --show '" + image + "' 2>/dev/null");
            mounted_ = !loop_.empty() && run("mount -t ext2 '" + loop_ + "' '" + mount + "'");
        }
        break;
    }
    mounted_ = mounted_ && run("mountpoint -q '" + mount + "'");
}

VolumeImage::~VolumeImage() {
    if (mounted_) {
        if (kind_ == Kind::Ext2SmallInodes) {
            run("umount '" + folder() + "'");
        } else {
            run("fusermount -u '" + folder() + "'");
        }
    }
    if (!loop_.empty()) {
        run("losetup -d '" + loop_ + "'");
    }
}

} // namespace orbisk::testing
