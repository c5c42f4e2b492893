// The program's own files in its cache folder: made for this user, never through a link.
#include "linux_file_system.h"
#include "new_file.h"
#include "platform/read_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

[[noreturn]] void fail(const std::string& path, int error) {
    throw FileError(path + ": " + std::strerror(error));
}

class Flock : public FileLock {
public:
    explicit Flock(int fd) : fd_(fd) {}
    ~Flock() override { ::close(fd_); }

private:
    int fd_;
};

class Replacement : public FileWriter {
public:
    explicit Replacement(const std::string& path) : file_(path, 0600) {}
    void write(std::string_view bytes) override { file_.write(bytes); }
    void commit() override { file_.commit(); }

private:
    NewFile file_;
};

class PlainFile : public ReadableFile {
public:
    PlainFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PlainFile() override { ::close(fd_); }
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
        adviseFor(offset);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n =
                ::pread(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                // The bytes before the failure are good: a reader of a failing disc says
                // how far it got.
                throw ReadError(std::strerror(errno), done);
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        next_ = offset + done;
        return done;
    }

private:
    // A file read from where the last read ended is being read through: the system then
    // reads further ahead (twice as far on Linux) while the reader works on what it has.
    // A jump elsewhere (an archive's index at its end) goes back to the usual amount.
    void adviseFor(std::uint64_t offset) {
        const bool sequential = offset == next_;
        if (sequential != sequential_) {
            ::posix_fadvise(fd_, 0, 0, sequential ? POSIX_FADV_SEQUENTIAL : POSIX_FADV_NORMAL);
            sequential_ = sequential;
        }
    }

    int fd_;
    std::uint64_t size_;
    std::uint64_t next_ = 0;
    bool sequential_ = false;
};

} // namespace

std::unique_ptr<ReadableFile> LinuxFileSystem::openForReading(const std::string& path) const {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PlainFile>(fd, static_cast<std::uint64_t>(info.st_size));
}

std::unique_ptr<FileWriter> LinuxFileSystem::newCopy(const std::string& target) {
    // A copy stays replaceable by its owner, as copyFile leaves it.
    class Copy : public FileWriter {
    public:
        explicit Copy(const std::string& target) : file_(target, 0644) {}
        void write(std::string_view bytes) override { file_.write(bytes); }
        void commit() override { file_.commit(); }

    private:
        NewFile file_;
    };
    return std::make_unique<Copy>(target);
}

std::string LinuxFileSystem::fileStamp(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_size == 0) {
        return "";
    }
    const auto nanoseconds = [](const timespec& t) {
        return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
    };
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size) + ":" + nanoseconds(info.st_mtim) + ":" +
           nanoseconds(info.st_ctim);
}

std::chrono::milliseconds LinuxFileSystem::stampUnsettledFor(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_size == 0) {
        return std::chrono::milliseconds(0);
    }
    // The file system's step, told by the times themselves: whole seconds where neither
    // has a fraction (taken as two, for FAT), else the finest power of ten both are
    // multiples of, and never less than two ticks of the coarse clock the kernel stamps
    // files with.
    long fraction = 1000000000;
    for (const long nanoseconds : {info.st_mtim.tv_nsec, info.st_ctim.tv_nsec}) {
        long step = 1;
        while (step < 1000000000 && nanoseconds % (step * 10) == 0) {
            step *= 10;
        }
        fraction = std::min(fraction, step);
    }
    const std::int64_t step =
        std::max<std::int64_t>(fraction == 1000000000 ? 2000000000 : 2 * fraction, 20000000);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto at = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    // A change now is stamped with the time now: it changes a time at least a step in the
    // past. A time ahead of the clock may be met by a later change.
    std::int64_t wait = std::numeric_limits<std::int64_t>::max();
    for (const timespec& time : {info.st_mtim, info.st_ctim}) {
        wait = std::min(wait, std::max<std::int64_t>(0, at(time) + step - at(now)));
    }
    return std::chrono::milliseconds((wait + 999999) / 1000000);
}

void LinuxFileSystem::makePrivateFolder(const std::string& folder) {
    std::string path;
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = folder.find('/', at + 1);
        path = folder.substr(0, at);
        if (path.empty()) {
            continue;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            // Only the folders the program makes are its own; those above may be links
            // (a home folder on another disc).
            if (at == std::string::npos && !S_ISDIR(info.st_mode)) {
                fail(path, S_ISLNK(info.st_mode) ? ELOOP : ENOTDIR);
            }
            continue;
        }
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            fail(path, errno);
        }
    }
}

std::unique_ptr<FileWriter> LinuxFileSystem::replaceFile(const std::string& path) {
    return std::make_unique<Replacement>(path);
}

std::unique_ptr<FileLock> LinuxFileSystem::tryLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<Flock>(fd);
}

std::vector<std::string> LinuxFileSystem::folderEntries(const std::string& folder) const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

void LinuxFileSystem::removeFile(const std::string& path) {
    ::unlink(path.c_str());
}

} // namespace orbisk
