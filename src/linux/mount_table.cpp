#include "mount_table.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

// Mount tables write blanks and backslashes in names as octal escapes (\040).
std::string unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string field; in >> field;) {
        out.push_back(field);
    }
    return out;
}

std::string readWhole(const char* file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> out;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        const auto f = fields(line);
        const auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 5 || dash == f.end() || f.end() - dash < 3) {
            continue;
        }
        out.push_back({unescape(*(dash + 2)), unescape(f[4]), *(dash + 1)});
    }
    return out;
}

std::vector<MountEntry> parseFstab(std::string_view text) {
    std::vector<MountEntry> out;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        const auto f = fields(line);
        if (f.size() < 2 || f[0].front() == '#' || f[1].front() != '/') {
            continue;
        }
        out.push_back(
            {unescape(f[0]), withoutTrailingSlash(unescape(f[1])), f.size() > 2 ? f[2] : ""});
    }
    return out;
}

MountWatch::~MountWatch() {
    if (mountInfo_ >= 0) {
        ::close(mountInfo_);
    }
}

const MountTable& MountWatch::current() {
    if (mountInfo_ < 0) {
        mountInfo_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    }
    // fstab changes by hand, rarely: looking at it once a second is enough, where a copy
    // asks for the table twice per file.
    const auto now = std::chrono::steady_clock::now();
    if (now - fstabChecked_ >= std::chrono::seconds(1)) {
        struct stat fstab {};
        fstabSeen_ =
            ::stat("/etc/fstab", &fstab) == 0
                ? static_cast<long long>(fstab.st_mtim.tv_sec) * 1000000000 + fstab.st_mtim.tv_nsec
                : 0;
        fstabChecked_ = now;
    }
    const long long stamp = fstabSeen_;
    // The kernel flags mountinfo with POLLPRI when a mount comes or goes; reading it whole
    // again clears the flag.
    pollfd watch{mountInfo_, POLLPRI, 0};
    const bool changed = mountInfo_ < 0 || ::poll(&watch, 1, 0) != 0;
    if (read_ && !changed && stamp == fstabStamp_) {
        return table_;
    }
    std::string text;
    if (mountInfo_ >= 0) {
        ::lseek(mountInfo_, 0, SEEK_SET);
        char buffer[8192];
        for (ssize_t n; (n = ::read(mountInfo_, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    table_.mounted = parseMountInfo(text);
    table_.fstab = parseFstab(readWhole("/etc/fstab"));
    fstabStamp_ = stamp;
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

bool isAutomountPlace(const std::string& folder,
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
            isAutomountPlace(folder, isUser)) {
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

bool isPseudoFileSystem(const std::string& type) {
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
