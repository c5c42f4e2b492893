#include "support/disc_images.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace orbisk::testing {

namespace {

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
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
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

bool MakeDiscImage(const std::string& folder, const std::string& image, const std::string& label,
                   const std::string& created) {
    return run("xorriso -as mkisofs -R -J -V " + quoted(label) + " --modification-date=" + created +
               "00 -o " + quoted(image) + " " + quoted(folder));
}

FuseMount::FuseMount(const std::string& image, const std::string& folder) : folder_(folder) {
    mounted_ = run("fuseiso " + quoted(image) + " " + quoted(folder));
}

FuseMount::~FuseMount() {
    if (mounted_) {
        run("fusermount -u " + quoted(folder_));
    }
}

bool MakeVolumeImage(const std::string& folder, const std::string& image, const std::string& label,
                     const std::string& uuid) {
    return run("mkfs.ext2 -q -L " + quoted(label) + " -U " + quoted(uuid) + " -d " +
               quoted(folder) + " " + quoted(image) + " 4M");
}

LoopMount::LoopMount(const std::string& image, const std::string& folder) : folder_(folder) {
    mounted_ = run("mount -o loop,ro " + quoted(image) + " " + quoted(folder));
}

LoopMount::~LoopMount() {
    if (mounted_) {
        run("umount " + quoted(folder_));
    }
}

LoopDevice::LoopDevice(const std::string& image) {
    device_ = output("losetup -f --show -r " + quoted(image) + " 2>/dev/null");
}

LoopDevice::~LoopDevice() {
    if (!device_.empty()) {
        run("losetup -d " + quoted(device_));
    }
}

} // namespace orbisk::testing
