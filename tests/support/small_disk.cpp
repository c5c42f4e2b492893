#include "support/small_disk.h"

#include <sys/mount.h>

namespace orbisk::testing {

ScopedMount ScopedMount::tmpfs(const std::string& target, std::size_t kilobytes) {
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    const bool done = mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) == 0;
    return ScopedMount(done ? target : "");
}

ScopedMount ScopedMount::bind(const std::string& source, const std::string& target) {
    const bool done = mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
    return ScopedMount(done ? target : "");
}

ScopedMount ScopedMount::readOnlyBind(const std::string& source, const std::string& target) {
    ScopedMount mounted = bind(source, target);
    if (mounted.mounted() &&
        mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return ScopedMount(""); // the writable bind goes with the first one's destructor
    }
    return mounted;
}

ScopedMount::ScopedMount(ScopedMount&& other) noexcept : target_(std::move(other.target_)) {
    other.target_.clear();
}

ScopedMount::~ScopedMount() {
    if (mounted()) {
        umount2(target_.c_str(), MNT_DETACH);
    }
}

SmallDisk::SmallDisk(std::size_t kilobytes) : mount_(ScopedMount::tmpfs(dir_.str(), kilobytes)) {}

} // namespace orbisk::testing
