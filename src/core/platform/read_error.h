#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <string>

namespace orbisk {

// What ReadableFile::read throws where the system failed a read part of the way: what() is
// the system's reason, and goodBytes() the bytes of that request that were read before the
// failure, which are in the caller's buffer. A caller that only needs to know that the read
// failed catches it as the FileError it is.
class ReadError : public FileError {
public:
    ReadError(const std::string& reason, std::size_t goodBytes)
        : FileError(reason), goodBytes_(goodBytes) {}
    std::size_t goodBytes() const { return goodBytes_; }

private:
    std::size_t goodBytes_;
};

} // namespace orbisk
