#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct libmnt_monitor;

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

// The mount table of a mountinfo file and an fstab file, as libmount reads them (names
// unescaped, mount points without a trailing slash). A file that cannot be read gives
// no entries.
MountTable ReadMountTable(const char* mountInfoFile, const char* fstabFile);

// The mount table, read again only when libmount's monitor says the mounts changed or
// fstab was written: a copy asks for it once per file.
class MountWatch {
public:
    MountWatch();
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    const MountTable& current();
    // Goes up each time the table is read again.
    std::uint64_t generation() const { return generation_; }
    // Readable when a mount came or went; -1 without a monitor.
    int descriptor() const { return descriptor_; }

private:
    bool changed();

    libmnt_monitor* monitor_ = nullptr;
    int descriptor_ = -1;
    std::uint64_t generation_ = 0;
    bool read_ = false;
    long long fstabStamp_ = -1;
    long long fstabSeen_ = 0;
    std::chrono::steady_clock::time_point fstabChecked_{};
    MountTable table_;
};

// /run/media/USER/NAME, /media/USER/NAME (USER a user of this machine), /media/NAME:
// the places desktops mount removable media on.
bool IsAutomountPlace(const std::string& folder,
                      const std::function<bool(const std::string&)>& isUser);

// The drive of a catalogued path: its longest leading folder that is mounted now, listed
// in fstab or an automount place; failing those, the mount holding its deepest existing
// folder. Empty when the path names no drive.
std::string DriveOfPath(const std::string& path, const MountTable& mounts,
                        const std::function<bool(const std::string&)>& isUser,
                        const std::function<bool(const std::string&)>& isFolder);

// File systems that hold no user data (proc, sysfs, tmpfs, cgroup and the like).
bool IsPseudoFileSystem(const std::string& type);

} // namespace orbisk
