#include "support/disc_images.h"

#include "support/shell.h"

namespace orbisk::testing {

bool MakeDiscImage(const std::string& folder, const std::string& image, const std::string& label,
                   const std::string& created) {
    return RunQuietly("xorriso -as mkisofs -R -J -V " + Quoted(label) + " --modification-date=" +
                      created + "00 -o " + Quoted(image) + " " + Quoted(folder));
}

FuseMount::FuseMount(const std::string& image, const std::string& folder) : folder_(folder) {
    mounted_ = RunQuietly("fuseiso " + Quoted(image) + " " + Quoted(folder));
}

FuseMount::~FuseMount() {
    if (mounted_) {
        RunQuietly("fusermount -u " + Quoted(folder_));
    }
}

bool MakeVolumeImage(const std::string& folder, const std::string& image, const std::string& label,
                     const std::string& uuid) {
    return RunQuietly("mkfs.ext2 -q -L " + Quoted(label) + " -U " + Quoted(uuid) + " -d " +
                      Quoted(folder) + " " + Quoted(image) + " 4M");
}

LoopMount::LoopMount(const std::string& image, const std::string& folder) : folder_(folder) {
    mounted_ = RunQuietly("mount -o loop,ro " + Quoted(image) + " " + Quoted(folder));
}

LoopMount::~LoopMount() {
    if (mounted_) {
        RunQuietly("umount " + Quoted(folder_));
    }
}

LoopDevice::LoopDevice(const std::string& image) {
    device_ = OutputOf("losetup -f --show -r " + Quoted(image) + " 2>/dev/null");
}

LoopDevice::~LoopDevice() {
    if (!device_.empty()) {
        RunQuietly("losetup -d " + Quoted(device_));
    }
}

} // namespace orbisk::testing
