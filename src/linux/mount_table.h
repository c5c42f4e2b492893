#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

struct MountEntry {
    std::string source;
    std::string mountPoint;
    std::string type;
};

// The mounts of this machine now, and the mount points /etc/fstab names.
struct MountTable {
    std::vector<MountEntry> mounted;
    std::vector<MountEntry> fstab;

    bool isMounted(const std::string& folder) const;
    bool inFstab(const std::string& folder) const;
};

// The mount table, read again only when the kernel says the mounts changed or fstab was
// written: a copy asks for it once per file.
class MountWatch {
public:
    MountWatch() = default;
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    const MountTable& current();
    // Goes up each time the table is read again.
    std::uint64_t generation() const { return generation_; }

private:
    int mountInfo_ = -1;
    std::uint64_t generation_ = 0;
    bool read_ = false;
    long long fstabStamp_ = -1;
    long long fstabSeen_ = 0;
    std::chrono::steady_clock::time_point fstabChecked_{};
    MountTable table_;
};

std::vector<MountEntry> parseMountInfo(std::string_view text);
// fstab lines as (source, mount point) pairs.
std::vector<MountEntry> parseFstab(std::string_view text);

// /run/media/USER/NAME, /media/USER/NAME (USER a user of this machine), /media/NAME:
// the places desktops mount removable media on.
bool isAutomountPlace(const std::string& folder,
                      const std::function<bool(const std::string&)>& isUser);

// The drive of a catalogued path: its longest leading folder that is mounted now, listed
// in fstab or an automount place; failing those, the mount holding its deepest existing
// folder. Empty when the path names no drive.
std::string DriveOfPath(const std::string& path, const MountTable& mounts,
                        const std::function<bool(const std::string&)>& isUser,
                        const std::function<bool(const std::string&)>& isFolder);

// File systems that hold no user data (proc, sysfs, tmpfs, cgroup and the like).
bool isPseudoFileSystem(const std::string& type);

} // namespace orbisk
