#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace orbisk {

// A file being written to take the place of target. When target does not exist yet it is
// written in place; otherwise beside it, and renamed over it only when complete, so an
// older file survives a failure. Unless committed, what was written is removed again.
// Failures throw FileError with the system's reason.
class NewFile {
public:
    NewFile(const std::string& target, mode_t mode);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // True when target existed: it is replaced at commit.
    bool replacing() const { return path_ != target_; }

    void write(const std::string& bytes);
    void copyFrom(int source, std::uint64_t size);
    void commit();

private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
};

} // namespace orbisk
