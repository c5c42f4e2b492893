#include "support/small_disk.h"

#include <string>
#include <sys/mount.h>

namespace orbisk::testing {

SmallDisk::SmallDisk(std::size_t kilobytes) {
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    mounted_ = mount("tmpfs", dir_.str().c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        umount2(dir_.str().c_str(), MNT_DETACH);
    }
}

} // namespace orbisk::testing
