#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace orbisk {

// A file being written to take the place of target. It is written under a temporary name
// beside target and renamed over it only when complete, so that target never holds half
// a file, even when the program is killed, and an older file survives a failure. Unless
// committed, what was written is removed again. Failures throw FileError with the
// system's reason.
class NewFile {
public:
    NewFile(const std::string& target, mode_t mode);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    NewFile(NewFile&& other) noexcept;
    NewFile& operator=(NewFile&&) = delete;

    // Sets the new file's mode exactly (no umask) and, where allowed, its owner.
    void keepModeAndOwner(mode_t mode, uid_t owner, gid_t group);
    void write(std::string_view bytes);
    // Copies exactly size bytes from source; a source that ends sooner is an error. A stop
    // is looked at between steps of a few megabytes (CopyStopped).
    void copyFrom(int source, std::uint64_t size, std::stop_token stop = {});
    void commit();

private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
};

// Removes the temporary files that copies and saves of this machine left in folder when
// the process writing them was killed. Files of a process still running are kept.
void RemoveLeftovers(const std::string& folder);

} // namespace orbisk
