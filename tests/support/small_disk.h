#pragma once

#include "support/temp_dir.h"

#include <cstddef>

namespace orbisk::testing {

// A real file system of a few kilobytes, to fill up: a tmpfs mounted on a temporary
// folder. Mounting needs root (as CI has); mounted() says whether it worked.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    bool mounted_ = false;
};

} // namespace orbisk::testing
