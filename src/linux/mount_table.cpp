#include "mount_table.h"

#include <algorithm>
#include <chrono>
#include <libmount/libmount.h>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace orbisk {

namespace {

std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// The leading folders of path, longest first: /a/b/c gives /a/b/c, /a/b, /a, /.
std::vector<std::string> leadingFolders(const std::string& path) {
    std::vector<std::string> out;
    if (path.empty() || path.front() != '/') {
        return out;
    }
    std::string folder = withoutTrailingSlash(path);
    for (;;) {
        out.push_back(folder);
        if (folder == "/") {
            break;
        }
        const auto cut = folder.rfind('/');
        folder = cut == 0 ? "/" : folder.substr(0, cut);
    }
    return out;
}

std::string field(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

// The entries of a table libmount read with parse; none when it could not.
std::vector<MountEntry> entriesOf(const std::function<int(libmnt_table*)>& parse) {
    std::vector<MountEntry> out;
    libmnt_table* table = mnt_new_table();
    libmnt_iter* iterator = mnt_new_iter(MNT_ITER_FORWARD);
    if (table != nullptr && iterator != nullptr && parse(table) == 0) {
        libmnt_fs* fs = nullptr;
        while (mnt_table_next_fs(table, iterator, &fs) == 0) {
            const std::string target = field(mnt_fs_get_target(fs));
            if (!target.empty() && target.front() == '/') {
                out.push_back({field(mnt_fs_get_source(fs)), withoutTrailingSlash(target),
                               field(mnt_fs_get_fstype(fs))});
            }
        }
    }
    mnt_free_iter(iterator);
    mnt_unref_table(table);
    return out;
}

long long modifiedAt(const char* file) {
    struct stat info {};
    return ::stat(file, &info) == 0
               ? static_cast<long long>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec
               : 0;
}

} // namespace

MountTable ReadMountTable(const char* mountInfoFile, const char* fstabFile) {
    return {entriesOf([mountInfoFile](libmnt_table* table) {
                return mnt_table_parse_file(table, mountInfoFile);
            }),
            entriesOf([fstabFile](libmnt_table* table) {
                return mnt_table_parse_fstab(table, fstabFile);
            })};
}

MountWatch::MountWatch() {
    monitor_ = mnt_new_monitor();
    if (monitor_ != nullptr && mnt_monitor_enable_kernel(monitor_, 1) == 0) {
        descriptor_ = mnt_monitor_get_fd(monitor_);
    }
}

MountWatch::~MountWatch() {
    mnt_unref_monitor(monitor_);
}

bool MountWatch::changed() {
    if (descriptor_ < 0) {
        return true; // nothing tells, so the table is read every time
    }
    bool any = false;
    while (mnt_monitor_next_change(monitor_, nullptr, nullptr) == 0) {
        any = true;
    }
    return any;
}

const MountTable& MountWatch::current() {
    // fstab changes by hand, rarely: looking at it once a second is enough, where a copy
    // asks for the table twice per file.
    const auto now = std::chrono::steady_clock::now();
    if (now - fstabChecked_ >= std::chrono::seconds(1)) {
        fstabSeen_ = modifiedAt("/etc/fstab");
        fstabChecked_ = now;
    }
    const bool mountsChanged = changed();
    if (read_ && !mountsChanged && fstabSeen_ == fstabStamp_) {
        return table_;
    }
    table_.mounted =
        entriesOf([](libmnt_table* table) { return mnt_table_parse_mtab(table, nullptr); });
    table_.fstab =
        entriesOf([](libmnt_table* table) { return mnt_table_parse_fstab(table, nullptr); });
    fstabStamp_ = fstabSeen_;
    read_ = true;
    ++generation_;
    return table_;
}

bool MountTable::isMounted(const std::string& folder) const {
    return std::any_of(mounted.begin(), mounted.end(),
                       [&](const MountEntry& entry) { return entry.mountPoint == folder; });
}

bool MountTable::inFstab(const std::string& folder) const {
    return std::any_of(fstab.begin(), fstab.end(),
                       [&](const MountEntry& entry) { return entry.mountPoint == folder; });
}

bool IsAutomountPlace(const std::string& folder,
                      const std::function<bool(const std::string&)>& isUser) {
    std::vector<std::string> parts;
    std::istringstream in(folder);
    for (std::string part; std::getline(in, part, '/');) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    if (folder.empty() || folder.front() != '/') {
        return false;
    }
    if (parts.size() == 4 && parts[0] == "run" && parts[1] == "media") {
        return true;
    }
    if (parts.size() == 3 && parts[0] == "media") {
        return isUser(parts[1]);
    }
    return parts.size() == 2 && parts[0] == "media" && !isUser(parts[1]);
}

std::string DriveOfPath(const std::string& path, const MountTable& mounts,
                        const std::function<bool(const std::string&)>& isUser,
                        const std::function<bool(const std::string&)>& isFolder) {
    const auto folders = leadingFolders(path);
    for (const std::string& folder : folders) {
        if (mounts.isMounted(folder) || mounts.inFstab(folder) ||
            IsAutomountPlace(folder, isUser)) {
            return folder;
        }
    }
    for (const std::string& folder : folders) {
        if (!isFolder(folder)) {
            continue;
        }
        std::string best;
        for (const auto& entry : mounts.mounted) {
            const auto& point = entry.mountPoint;
            const bool holds =
                folder == point || point == "/" ||
                (folder.size() > point.size() && folder.compare(0, point.size(), point) == 0 &&
                 folder[point.size()] == '/');
            if (holds && point.size() > best.size()) {
                best = point;
            }
        }
        return best;
    }
    return "";
}

bool IsPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> pseudo = {
        "proc",        "sysfs",    "tmpfs",       "devtmpfs",   "devpts",
        "cgroup",      "cgroup2",  "overlay",     "securityfs", "debugfs",
        "tracefs",     "mqueue",   "hugetlbfs",   "pstore",     "bpf",
        "configfs",    "fusectl",  "binfmt_misc", "autofs",     "rpc_pipefs",
        "nsfs",        "efivarfs", "ramfs",       "selinuxfs",  "fuse.gvfsd-fuse",
        "fuse.portal", "nfsd",     "none"};
    return pseudo.count(type) != 0;
}

} // namespace orbisk
