#include "support/failing_mount.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orbisk::testing {

namespace {

using namespace std::chrono_literals;

bool isMountedAt(const std::string& folder, const std::string& parent) {
    struct stat inside {};
    struct stat above {};
    return ::stat(folder.c_str(), &inside) == 0 && ::stat(parent.c_str(), &above) == 0 &&
           inside.st_dev != above.st_dev;
}

// Waits up to patience for the process to end; true when it has.
bool ended(pid_t process, std::chrono::milliseconds patience) {
    const auto until = std::chrono::steady_clock::now() + patience;
    do {
        int status = 0;
        const pid_t done = ::waitpid(process, &status, WNOHANG);
        if (done == process || done < 0) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

} // namespace

bool HasFuse() {
    return ::access("/dev/fuse", R_OK | W_OK) == 0;
}

FailingMount::FailingMount(const std::string& source, const std::vector<std::string>& rules,
                           Reads reads) {
    const std::string mountPoint = folder();
    std::filesystem::create_directories(mountPoint);
    setRules({});
    std::vector<std::string> arguments = {ORBISK_FAILING_MIRROR};
    if (reads == Reads::Cached) {
        arguments.push_back("cached");
    }
    arguments.insert(arguments.end(), {source, mountPoint, "rules=" + (place_ / "rules").string()});
    arguments.insert(arguments.end(), rules.begin(), rules.end());
    const std::string log = (place_ / "mirror.log").string();
    mirror_ = ::fork();
    if (mirror_ == 0) {
        // The mirror ends (and unmounts) with the test, even one that crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (mirror_ < 0) {
        return;
    }
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < until) {
        if (isMountedAt(mountPoint, place_.str())) {
            mounted_ = true;
            return;
        }
        if (ended(mirror_, 0ms)) {
            mirror_ = -1;
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

FailingMount::~FailingMount() {
    const std::string mountPoint = folder();
    if (mounted_ && std::system(("fusermount3 -u '" + mountPoint + "' 2>/dev/null").c_str()) != 0) {
        ::umount2(mountPoint.c_str(), MNT_DETACH);
    }
    if (mirror_ > 0 && !ended(mirror_, 5s)) {
        ::kill(mirror_, SIGTERM);
        if (!ended(mirror_, 2s)) {
            ::kill(mirror_, SIGKILL);
            ended(mirror_, 2s);
        }
    }
    // A mirror that died leaves a mount that answers nothing; it goes too (where nothing
    // is mounted this does nothing).
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}

void FailingMount::setRules(const std::vector<std::string>& rules) const {
    const auto file = place_ / "rules";
    const auto written = place_ / "rules.new";
    {
        std::ofstream out(written);
        for (const std::string& rule : rules) {
            out << rule << '\n';
        }
    }
    std::filesystem::rename(written, file);
}

} // namespace orbisk::testing
