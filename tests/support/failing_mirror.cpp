// A FUSE file system for tests of failing reads: it shows a folder read-only and makes the
// reads of chosen files fail, end early, run on or wait, as an ageing disc does.
//
//   orbisk_failing_mirror [cached] SOURCE MOUNTPOINT [RULE...]
//
// Rules (PATH is a file's path in the mirror, "/a/b.dat" or "a/b.dat"):
//   fail=PATH             every read of PATH fails with EIO
//   fail=PATH@FROM-TO     reads of bytes FROM to TO-1 fail with EIO; a read that begins
//                         before FROM gives the bytes before it (cached: fails whole)
//   noopen=PATH           opening PATH fails with EIO
//   shorten=PATH@BYTES    once PATH has been read from, it ends at BYTES
//   grow=PATH@BYTES       once PATH has been read from, it holds BYTES ("G" past its end)
//   delay=MS              each read waits MS milliseconds first
//   delay=PATH@MS         each read of PATH waits MS milliseconds first
//   rules=FILE            FILE holds more rules, one a line; it is read again whenever a
//                         file is opened, so a test may change them while mounted
//   cached                (before SOURCE) the kernel reads through its cache, a page at a
//                         time and ahead of the reader, as it reads a real disc
//
// It runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or sent SIGTERM,
// which unmounts too. Unless cached, every file is read by the kernel straight from here,
// byte for byte as asked, so each read meets the rules exactly; cached, a file's pages are
// dropped whenever it is opened, so each opening reads it anew.
#define FUSE_USE_VERSION 31

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <fuse.h>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Rules {
    std::map<std::string, std::vector<std::pair<off_t, off_t>>> failing; // [from, to)
    std::set<std::string> unopenable;
    std::map<std::string, off_t> shortened;
    std::map<std::string, off_t> grown;
    std::map<std::string, int> delays; // "" for every file
};

std::string source;
bool cached = false;
std::vector<std::string> fixedRules;
std::string rulesFile;

std::mutex lock;
Rules rules;
std::set<std::string> started; // files read from since mounting

std::string normalPath(std::string path) {
    return path.empty() || path.front() != '/' ? "/" + path : path;
}

// One rule into rules; false when it cannot be read.
bool addRule(Rules& into, const std::string& rule) {
    const auto equals = rule.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    const std::string kind = rule.substr(0, equals);
    std::string what = rule.substr(equals + 1);
    const auto at = what.rfind('@');
    const std::string path = normalPath(at == std::string::npos ? what : what.substr(0, at));
    const std::string value = at == std::string::npos ? "" : what.substr(at + 1);
    try {
        if (kind == "fail" && value.empty()) {
            into.failing[path].push_back({0, std::numeric_limits<off_t>::max()});
        } else if (kind == "fail") {
            const auto dash = value.find('-');
            if (dash == std::string::npos) {
                return false;
            }
            into.failing[path].push_back(
                {std::stoll(value.substr(0, dash)), std::stoll(value.substr(dash + 1))});
        } else if (kind == "noopen") {
            into.unopenable.insert(path);
        } else if (kind == "shorten" && !value.empty()) {
            into.shortened[path] = std::stoll(value);
        } else if (kind == "grow" && !value.empty()) {
            into.grown[path] = std::stoll(value);
        } else if (kind == "delay") {
            into.delays[value.empty() ? "" : path] = std::stoi(value.empty() ? what : value);
        } else {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void reloadRules() {
    Rules fresh;
    for (const std::string& rule : fixedRules) {
        addRule(fresh, rule);
    }
    if (!rulesFile.empty()) {
        std::ifstream in(rulesFile);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && !addRule(fresh, line)) {
                std::fprintf(stderr, "failing mirror: rule not understood: %s\n", line.c_str());
            }
        }
    }
    std::lock_guard<std::mutex> guard(lock);
    rules = std::move(fresh);
}

std::string real(const char* path) {
    return source + path;
}

// The size the file shows now, after what its reading has done to it.
std::optional<off_t> shownSize(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock);
    if (started.count(path) == 0) {
        return std::nullopt;
    }
    if (const auto s = rules.shortened.find(path); s != rules.shortened.end()) {
        return s->second;
    }
    if (const auto g = rules.grown.find(path); g != rules.grown.end()) {
        return g->second;
    }
    return std::nullopt;
}

void* start(fuse_conn_info*, fuse_config* config) {
    config->direct_io = cached ? 0 : 1;
    config->kernel_cache = 0;
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    config->use_ino = 1;
    return nullptr;
}

int getAttributes(const char* path, struct stat* info, fuse_file_info*) {
    if (::lstat(real(path).c_str(), info) != 0) {
        return -errno;
    }
    if (const auto size = shownSize(path)) {
        info->st_size = *size;
    }
    return 0;
}

int readLink(const char* path, char* buffer, size_t size) {
    const ssize_t n = ::readlink(real(path).c_str(), buffer, size - 1);
    if (n < 0) {
        return -errno;
    }
    buffer[n] = '\0';
    return 0;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
    DIR* folder = ::opendir(real(path).c_str());
    if (folder == nullptr) {
        return -errno;
    }
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        info.st_ino = entry->d_ino;
        info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &info, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    ::closedir(folder);
    return 0;
}

int openFile(const char* path, fuse_file_info* file) {
    if ((file->flags & O_ACCMODE) != O_RDONLY) {
        return -EROFS;
    }
    reloadRules();
    {
        std::lock_guard<std::mutex> guard(lock);
        if (rules.unopenable.count(path) != 0) {
            return -EIO;
        }
    }
    const int fd = ::open(real(path).c_str(), O_RDONLY);
    if (fd < 0) {
        return -errno;
    }
    file->fh = static_cast<std::uint64_t>(fd);
    file->direct_io = cached ? 0 : 1;
    file->keep_cache = 0;
    return 0;
}

int readFile(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
    int delay = 0;
    std::optional<off_t> shortened;
    std::optional<off_t> grown;
    std::vector<std::pair<off_t, off_t>> failing;
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto d = rules.delays.find(path);
        const auto all = rules.delays.find("");
        delay = d != rules.delays.end() ? d->second : all != rules.delays.end() ? all->second : 0;
        if (started.count(path) != 0) {
            if (const auto s = rules.shortened.find(path); s != rules.shortened.end()) {
                shortened = s->second;
            }
            if (const auto g = rules.grown.find(path); g != rules.grown.end()) {
                grown = g->second;
            }
        }
        started.insert(path);
        if (const auto f = rules.failing.find(path); f != rules.failing.end()) {
            failing = f->second;
        }
    }
    if (delay > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    off_t end = offset + static_cast<off_t>(size);
    for (const auto& [from, to] : failing) {
        if (from < end && offset < to) {
            // Through the cache a short answer would mean the file ends there; a device
            // fails the whole block asked for, and the kernel asks again page by page.
            if (from <= offset || cached) {
                return -EIO;
            }
            end = from; // the good bytes before the bad ones
        }
    }
    if (shortened) {
        end = std::min(end, std::max(offset, *shortened));
    }
    const ssize_t n =
        ::pread(static_cast<int>(file->fh), buffer, static_cast<size_t>(end - offset), offset);
    if (n < 0) {
        return -errno;
    }
    off_t done = offset + n;
    if (grown && done < std::min(end, *grown)) {
        const off_t more = std::min(end, *grown) - done;
        std::memset(buffer + n, 'G', static_cast<size_t>(more));
        done += more;
    }
    return static_cast<int>(done - offset);
}

int releaseFile(const char*, fuse_file_info* file) {
    ::close(static_cast<int>(file->fh));
    return 0;
}

int fileSystemFacts(const char*, struct statvfs* facts) {
    return ::statvfs(source.c_str(), facts) == 0 ? 0 : -errno;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "cached") {
        cached = true;
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s [cached] SOURCE MOUNTPOINT [RULE...]\n", argv[0]);
        return 2;
    }
    source = argv[1];
    while (source.size() > 1 && source.back() == '/') {
        source.pop_back();
    }
    for (int i = 3; i < argc; ++i) {
        const std::string rule = argv[i];
        Rules check;
        if (rule.rfind("rules=", 0) == 0) {
            rulesFile = rule.substr(6);
        } else if (addRule(check, rule)) {
            fixedRules.push_back(rule);
        } else {
            std::fprintf(stderr, "%s: rule not understood: %s\n", argv[0], rule.c_str());
            return 2;
        }
    }
    reloadRules();
    fuse_operations operations{};
    operations.init = start;
    operations.getattr = getAttributes;
    operations.readlink = readLink;
    operations.readdir = readFolder;
    operations.open = openFile;
    operations.read = readFile;
    operations.release = releaseFile;
    operations.statfs = fileSystemFacts;
    // Root lets every user read the mirror (a test as an ordinary user); a user mounting
    // it through fusermount3 may not, unless the system's fuse.conf allows it.
    std::string options = "ro,fsname=failing-mirror";
    if (::geteuid() == 0) {
        options += ",allow_other";
    }
    std::vector<char*> arguments = {argv[0], argv[2], const_cast<char*>("-f"),
                                    const_cast<char*>("-o"), options.data()};
    return fuse_main(static_cast<int>(arguments.size()), arguments.data(), &operations, nullptr);
}
