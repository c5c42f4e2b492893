#include "platform/linux/new_file.h"

#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

std::string besides(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return folder + ".orbisk-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(attempt) + ".tmp";
}

} // namespace

NewFile::NewFile(const std::string& target, mode_t mode) : target_(target), path_(target) {
    fd_ = createExclusive(path_, mode);
    for (unsigned attempt = 0; fd_ < 0 && errno == EEXIST && attempt < 100; ++attempt) {
        path_ = besides(target, attempt);
        fd_ = createExclusive(path_, mode);
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

void NewFile::write(const std::string& bytes) {
    writeAll(fd_, bytes.data(), bytes.size());
}

void NewFile::copyFrom(int source, std::uint64_t size) {
    // The kernel copies without a round trip through this process where it can.
    std::uint64_t left = size;
    while (left > 0) {
        const ssize_t n = copy_file_range(source, nullptr, fd_, nullptr, left, 0);
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

void NewFile::commit() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || (replacing() && ::rename(path_.c_str(), target_.c_str()) != 0)) {
        const int error = errno;
        ::unlink(path_.c_str());
        failWith(error);
    }
}

} // namespace orbisk
