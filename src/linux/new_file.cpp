#include "new_file.h"

#include "platform/file_system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orbisk {

namespace {

[[noreturn]] void failWith(int error) {
    throw FileError(std::strerror(error));
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWith(errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

int createExclusive(const std::string& path, mode_t mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
}

constexpr const char* LeftoverPrefix = ".orbisk-";
constexpr const char* LeftoverSuffix = ".tmp";

// This machine's name as it goes into a temporary name: a folder on a share may hold
// temporary files of other machines, whose processes this one cannot see.
std::string hostTag() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    std::string tag = name;
    for (char& c : tag) {
        if (c == '/' || c == '-') {
            c = '_';
        }
    }
    return tag;
}

// ".orbisk-HOST-PID-N.tmp" beside target.
std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return folder + LeftoverPrefix + hostTag() + "-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++) + LeftoverSuffix;
}

} // namespace

NewFile::NewFile(const std::string& target, mode_t mode) : target_(target) {
    for (unsigned attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        path_ = temporaryBeside(target);
        fd_ = createExclusive(path_, mode);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        failWith(errno);
    }
}

NewFile::~NewFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

void NewFile::keepModeAndOwner(mode_t mode, uid_t owner, gid_t group) {
    if (::fchmod(fd_, mode & 07777) != 0) {
        failWith(errno);
    }
    // Only root may give a file away; anyone else keeps the file as their own.
    if (geteuid() == 0 && ::fchown(fd_, owner, group) != 0) {
        failWith(errno);
    }
}

NewFile::NewFile(NewFile&& other) noexcept
    : target_(std::move(other.target_)), path_(std::move(other.path_)), fd_(other.fd_) {
    other.fd_ = -1;
}

void NewFile::write(std::string_view bytes) {
    writeAll(fd_, bytes.data(), bytes.size());
}

void NewFile::copyFrom(int source, std::uint64_t size, std::stop_token stop) {
    const auto shrank = [] { throw FileError(MessageLines{{MessageId::SourceShrank, {}}}); };
    const auto stopIfAsked = [&stop] {
        if (stop.stop_requested()) {
            throw CopyStopped(); // the destructor removes what was written
        }
    };
    // The kernel copies without a round trip through this process where it can, in steps
    // that a slow disc reads in a moment, so that a stop is seen soon.
    constexpr std::uint64_t Step = 8 << 20;
    std::uint64_t left = size;
    while (left > 0) {
        stopIfAsked();
        const ssize_t n = copy_file_range(source, nullptr, fd_, nullptr,
                                          static_cast<std::size_t>(std::min(left, Step)), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            break;
        }
        if (n < 0) {
            failWith(errno);
        }
        if (n == 0) {
            shrank();
        }
        left -= static_cast<std::uint64_t>(n);
    }
    std::vector<char> buffer(left > 0 ? 1 << 20 : 0);
    while (left > 0) {
        stopIfAsked();
        const ssize_t n =
            ::read(source, buffer.data(),
                   static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size())));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failWith(errno);
        }
        if (n == 0) {
            shrank();
        }
        writeAll(fd_, buffer.data(), static_cast<std::size_t>(n));
        left -= static_cast<std::uint64_t>(n);
    }
}

void NewFile::commit() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(path_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        failWith(error);
    }
}

void RemoveLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string mine = LeftoverPrefix + hostTag() + "-";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(mine, 0) != 0 || name.size() < mine.size() + 4 ||
            name.compare(name.size() - 4, 4, LeftoverSuffix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + mine.size(), nullptr, 10);
        // A process that no longer exists can no longer finish its file.
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

} // namespace orbisk
