// Folders held open for asking many files by name, as a registration does for every file
// of a disc.
#include "linux_file_system.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

class HeldFolder : public OpenFolder {
public:
    HeldFolder(std::string folder, int descriptor)
        : folder_(std::move(folder)), descriptor_(descriptor) {}
    ~HeldFolder() override { close(descriptor_); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    FileFacts fileFacts(const std::string& name) const override {
        struct stat info {};
        if (fstatat(descriptor_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            throw FileError(folder_ + "/" + name + ": " + std::strerror(errno));
        }
        return {static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtime)};
    }

private:
    std::string folder_;
    int descriptor_;
};

} // namespace

std::unique_ptr<OpenFolder> LinuxFileSystem::openFolder(const std::string& folder) const {
    // A path of the folder only, not its content: no read permission is needed to ask its
    // files, as none is to ask them by their whole paths.
    const int descriptor =
        open(folder.empty() ? "/" : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    return std::make_unique<HeldFolder>(folder, descriptor);
}

} // namespace orbisk
