#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace orbisk {

// A file written beside its final place and renamed onto it only when complete; removed
// again if it never is. Failures throw FileError with the system's reason.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void write(const std::string& bytes);
    void copyFrom(int source, std::uint64_t size);
    // Gives the file its permissions (less the umask) and puts it in place of target.
    void commit(const std::string& target, mode_t mode);

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace orbisk
