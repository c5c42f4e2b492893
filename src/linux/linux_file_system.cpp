#include "linux_file_system.h"

#include "mount_table.h"
#include "new_file.h"
#include "text/wildcard_pattern.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <iconv.h>
#include <langinfo.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

std::string errorText(int error) {
    return std::strerror(error);
}

bool isUser(const std::string& name) {
    return getpwnam(name.c_str()) != nullptr;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string parentOf(const std::string& folder) {
    const auto cut = folder.find_last_not_of('/');
    const auto slash = cut == std::string::npos ? std::string::npos : folder.rfind('/', cut);
    return slash == std::string::npos || slash == 0 ? "/" : folder.substr(0, slash);
}

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// udev writes the bytes it cannot put in a link's name as \xHH.
std::string unescapeUdevName(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size() && hexDigit(name[i + 2]) >= 0 &&
            hexDigit(name[i + 3]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(name[i + 2]) * 16 + hexDigit(name[i + 3])));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

// Labels of block devices, from the links udev keeps in /dev/disk/by-label.
std::string labelOf(const std::string& device) {
    std::error_code error;
    const auto target = std::filesystem::canonical(device, error);
    if (error) {
        return "";
    }
    for (const auto& link : std::filesystem::directory_iterator("/dev/disk/by-label", error)) {
        std::error_code linkError;
        if (std::filesystem::canonical(link.path(), linkError) == target && !linkError) {
            return unescapeUdevName(link.path().filename().string());
        }
    }
    return "";
}

std::string shown(const std::string& mountPoint, const std::string& device) {
    const std::string label = labelOf(device);
    return label.empty() ? mountPoint : mountPoint + " [" + label + "]";
}

} // namespace

std::string LinuxFileSystem::walkPattern(const std::string& driveText) const {
    // A drive is a folder; its root is walked with every name.
    return driveText.empty() || driveText.back() != '/' ? driveText + "/*.*" : driveText + "*.*";
}

std::string LinuxFileSystem::driveOfPath(const std::string& path) const {
    const std::lock_guard lock(mountsLock_);
    return DriveOfPath(path, mounts_.current(), isUser, isFolder);
}

bool LinuxFileSystem::isDriveReady(const std::string& drive) const {
    if (drive.empty() || drive.front() != '/') {
        return false;
    }
    struct stat info {};
    if (stat(drive.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        faccessat(AT_FDCWD, drive.c_str(), R_OK | X_OK, AT_EACCESS) != 0) {
        return false; // not a folder this user can list
    }
    const std::lock_guard lock(mountsLock_);
    const MountTable& mounts = mounts_.current();
    const std::string folder =
        drive.size() > 1 && drive.back() == '/' ? drive.substr(0, drive.size() - 1) : drive;
    if (folder != "/" && (mounts.inFstab(folder) || IsAutomountPlace(folder, isUser))) {
        // A mount place with nothing mounted on it is an empty folder, not a disc.
        struct stat parent {};
        return stat(parentOf(folder).c_str(), &parent) == 0 && parent.st_dev != info.st_dev;
    }
    return true;
}

std::vector<DriveEntry> LinuxFileSystem::drives() const {
    const std::lock_guard lock(mountsLock_);
    const MountTable& mounts = mounts_.current();
    std::vector<DriveEntry> out;
    std::error_code error;
    std::vector<std::string> optical;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/block", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("sr", 0) == 0) {
            optical.push_back("/dev/" + name);
        }
    }
    std::sort(optical.begin(), optical.end());
    const auto sameDevice = [](const std::string& a, const std::string& b) {
        std::error_code e1, e2;
        return a == b || std::filesystem::canonical(a, e1) == std::filesystem::canonical(b, e2);
    };
    for (const std::string& device : optical) {
        std::string drive;
        std::string display;
        std::string emptyDevice;
        for (const auto& mount : mounts.mounted) {
            if (mount.source.front() == '/' && sameDevice(mount.source, device)) {
                drive = mount.mountPoint;
                display = shown(mount.mountPoint, device);
                break;
            }
        }
        if (drive.empty()) {
            drive = device;
            for (const auto& entry : mounts.fstab) {
                if (entry.source.front() == '/' && sameDevice(entry.source, device)) {
                    drive = entry.mountPoint;
                }
            }
            display = drive;
            emptyDevice = device.substr(5);
        }
        out.push_back({drive, display, DriveKind::Optical, emptyDevice});
    }
    for (const auto& mount : mounts.mounted) {
        const bool listed = std::any_of(out.begin(), out.end(), [&](const DriveEntry& d) {
            return d.drive == mount.mountPoint;
        });
        const bool system = mount.mountPoint.rfind("/proc", 0) == 0 ||
                            mount.mountPoint.rfind("/sys", 0) == 0 ||
                            mount.mountPoint.rfind("/dev", 0) == 0 ||
                            (mount.mountPoint.rfind("/run", 0) == 0 &&
                             mount.mountPoint.rfind("/run/media/", 0) != 0);
        if (!listed && !system && !IsPseudoFileSystem(mount.type)) {
            out.push_back({mount.mountPoint, shown(mount.mountPoint, mount.source),
                           IsAutomountPlace(mount.mountPoint, isUser) ? DriveKind::Removable
                                                                      : DriveKind::Fixed});
        }
    }
    return out;
}

std::uint64_t LinuxFileSystem::drivesChangeCount() const {
    const std::lock_guard lock(mountsLock_);
    mounts_.current();
    return mounts_.generation();
}

std::optional<FolderListing> LinuxFileSystem::listFolder(const std::string& folder,
                                                         const std::string& namePattern) const {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
    struct stat self {};
    if (!dir || fstat(fd, &self) != 0) {
        if (!dir) {
            ::close(fd);
        }
        return std::nullopt;
    }
    const WildcardPattern pattern(namePattern, WildcardPattern::Syntax::Listing);
    FolderListing listing;
    listing.identity = {static_cast<std::uint64_t>(self.st_dev),
                        static_cast<std::uint64_t>(self.st_ino)};
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        unsigned char type = entry->d_type;
        if (type == DT_DIR || type == DT_UNKNOWN) {
            // A folder's identity, and the type where the file system does not say, without
            // following a link or setting off an automount.
            struct stat info {};
            if (fstatat(dirfd(dir.get()), name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) !=
                0) {
                errno = 0;
                continue; // gone since it was listed
            }
            type = S_ISREG(info.st_mode) ? DT_REG : S_ISDIR(info.st_mode) ? DT_DIR : DT_LNK;
            if (type == DT_DIR) {
                listing.subfolders.push_back({name,
                                              {static_cast<std::uint64_t>(info.st_dev),
                                               static_cast<std::uint64_t>(info.st_ino)}});
            }
        }
        if (type == DT_REG && pattern.matches(name)) {
            listing.files.emplace_back(name);
        }
        errno = 0;
    }
    if (errno != 0) {
        return std::nullopt;
    }
    return listing;
}

FolderFailure LinuxFileSystem::folderFailure(const std::string& folder) const {
    const int fd = open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    const int error = errno;
    return {{Verbatim(errorText(error))}, error != EACCES && error != EPERM};
}

bool LinuxFileSystem::isPresentFile(const std::string& path) const {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LinuxFileSystem::isPathTooLong(const std::string& path) const {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && errno == ENAMETOOLONG;
}

FileFacts LinuxFileSystem::fileFacts(const std::string& path) const {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        throw FileError(path + ": " + errorText(errno));
    }
    return {static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtime)};
}

std::optional<VolumeIdentity> LinuxFileSystem::volumeOf(const std::string& drive) const {
    const std::string folder =
        drive.size() > 1 && drive.back() == '/' ? drive.substr(0, drive.size() - 1) : drive;
    const std::lock_guard lock(mountsLock_);
    for (const MountEntry& mount : mounts_.current().mounted) {
        if (mount.mountPoint == folder && !mount.source.empty() && mount.source.front() == '/') {
            return ProbeVolume(mount.source);
        }
    }
    return std::nullopt;
}

std::string LinuxFileSystem::fileIdentity(const std::string& path) const {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return "";
    }
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

void LinuxFileSystem::prepareTarget(const std::string& folder) {
    RemoveLeftovers(folder);
}

void LinuxFileSystem::copyFile(const std::string& source, const std::string& target,
                               std::stop_token stop) {
    // Non-blocking, so that a FIFO put in the file's place after it was found present
    // cannot hold the copy forever; a plain file reads the same either way, so the flag
    // can stay.
    const int in = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        throw FileError(errorText(errno));
    }
    const std::unique_ptr<int, void (*)(int*)> closeIn(new int(in), [](int* fd) {
        ::close(*fd);
        delete fd;
    });
    struct stat from {};
    if (fstat(in, &from) != 0) {
        throw FileError(errorText(errno));
    }
    if (!S_ISREG(from.st_mode)) {
        throw FileError(MessageLines{{MessageId::NotAPlainFile, {}}});
    }
    struct stat to {};
    if (stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
        throw FileError(MessageLines{{MessageId::TargetIsSource, {}}});
    }
    // Files on discs are often read-only; the copy must stay replaceable by its owner.
    NewFile copy(target, (from.st_mode & 0777) | S_IWUSR);
    copy.copyFrom(in, static_cast<std::uint64_t>(from.st_size), stop);
    copy.commit();
}

namespace {

// The user named this file: a link is written through, to the file it points to, and a
// file that is there keeps its mode and owner. Written beside it, it replaces it only
// when complete.
NewFile replacementFor(const std::string& path) {
    std::string target = path;
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code error;
        target = std::filesystem::weakly_canonical(path, error).string();
        if (error) {
            throw FileError(error.message());
        }
    }
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        throw FileError(MessageLines{{MessageId::NotAPlainFile, {}}});
    }
    NewFile file(target, 0666);
    if (exists) {
        file.keepModeAndOwner(existing.st_mode, existing.st_uid, existing.st_gid);
    }
    return file;
}

class NewFileWriter : public FileWriter {
public:
    explicit NewFileWriter(NewFile file) : file_(std::move(file)) {}
    void write(std::string_view bytes) override { file_.write(bytes); }
    void commit() override { file_.commit(); }

private:
    NewFile file_;
};

} // namespace

void LinuxFileSystem::writeTextFile(const std::string& path, const std::string& text) {
    NewFile file = replacementFor(path);
    file.write(ToCodePage(text, nl_langinfo(CODESET)));
    file.commit();
}

std::unique_ptr<FileWriter> LinuxFileSystem::createFile(const std::string& path) {
    return std::make_unique<NewFileWriter>(replacementFor(path));
}

std::string ToCodePage(const std::string& text, const std::string& codeset) {
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") {
        return text;
    }
    iconv_t convert = iconv_open(codeset.c_str(), "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1)) {
        return text;
    }
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(convert, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte the code page cannot take, or not UTF-8 at all: keep it as it is.
            out.push_back(*in++);
            --inLeft;
        }
    }
    iconv_close(convert);
    return out;
}

} // namespace orbisk
