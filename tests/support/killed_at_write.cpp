#include "support/killed_at_write.h"

#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbisk::testing {

namespace {

// The child's own: set once it is forked, never in the test's process.
int writesLeft = 0;
sqlite3_syscall_ptr realWrite, realPwrite, realPwrite64;

void countWrite() {
    if (--writesLeft == 0) {
        raise(SIGKILL);
    }
}
ssize_t dyingWrite(int fd, const void* bytes, size_t count) {
    countWrite();
    return reinterpret_cast<decltype(&::write)>(realWrite)(fd, bytes, count);
}
ssize_t dyingPwrite(int fd, const void* bytes, size_t count, off_t offset) {
    countWrite();
    return reinterpret_cast<decltype(&::pwrite)>(realPwrite)(fd, bytes, count, offset);
}
ssize_t dyingPwrite64(int fd, const void* bytes, size_t count, off64_t offset) {
    countWrite();
    return reinterpret_cast<decltype(&::pwrite64)>(realPwrite64)(fd, bytes, count, offset);
}

} // namespace

WorkEnd RunKilledAtWrite(int write, const std::function<void()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        realWrite = vfs->xGetSystemCall(vfs, "write");
        realPwrite = vfs->xGetSystemCall(vfs, "pwrite");
        realPwrite64 = vfs->xGetSystemCall(vfs, "pwrite64");
        vfs->xSetSystemCall(vfs, "write", reinterpret_cast<sqlite3_syscall_ptr>(dyingWrite));
        vfs->xSetSystemCall(vfs, "pwrite", reinterpret_cast<sqlite3_syscall_ptr>(dyingPwrite));
        vfs->xSetSystemCall(vfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(dyingPwrite64));
        writesLeft = write;
        try {
            work();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
        return WorkEnd::Killed;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? WorkEnd::Done : WorkEnd::Failed;
}

} // namespace orbisk::testing
