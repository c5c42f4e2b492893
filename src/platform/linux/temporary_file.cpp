#include "platform/linux/temporary_file.h"

#include "platform/file_system.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orbisk {

namespace {

[[noreturn]] void failWith(int error) { throw FileError(std::strerror(error)); }

mode_t processUmask() {
    static const mode_t mask = [] {
        const mode_t current = umask(022);
        umask(current);
        return current;
    }();
    return mask;
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

} // namespace

TemporaryFile::TemporaryFile(const std::string& folder) {
    std::string pattern = folder + (folder.empty() || folder.back() != '/' ? "/" : "") + ".orbisk-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        failWith(errno);
    }
    path_ = name.data();
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

void TemporaryFile::write(const std::string& bytes) { writeAll(fd_, bytes.data(), bytes.size()); }

void TemporaryFile::copyFrom(int source, std::uint64_t size) {
    // The kernel copies without a round trip through this process where it can.
    std::uint64_t left = size;
    while (left > 0) {
        const ssize_t n = copy_file_range(source, nullptr, fd_, nullptr, left, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            break;
        }
        if (n < 0) {
            failWith(errno);
        }
        if (n == 0) {
            return; // the source shrank while it was copied: what there was is copied
        }
        left -= static_cast<std::uint64_t>(n);
    }
    if (left == 0) {
        return;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(source, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failWith(errno);
        }
        if (n == 0) {
            return;
        }
        writeAll(fd_, buffer.data(), static_cast<std::size_t>(n));
    }
}

void TemporaryFile::commit(const std::string& target, mode_t mode) {
    if (fchmod(fd_, mode & ~processUmask()) != 0) {
        failWith(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        failWith(error);
    }
    if (::rename(path_.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        failWith(error);
    }
}

} // namespace orbisk
