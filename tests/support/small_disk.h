#pragma once

#include "support/temp_dir.h"

#include <cstddef>
#include <string>

namespace orbisk::testing {

// A mount on an existing folder for the length of a test: a tmpfs, or a bind mount of
// another folder. Mounting needs root (as CI has); mounted() says whether it worked.
class ScopedMount {
public:
    static ScopedMount tmpfs(const std::string& target, std::size_t kilobytes);
    static ScopedMount bind(const std::string& source, const std::string& target);
    // source shown again at target, where nobody, root included, can write.
    static ScopedMount readOnlyBind(const std::string& source, const std::string& target);
    ~ScopedMount();
    ScopedMount(ScopedMount&& other) noexcept;
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    ScopedMount& operator=(ScopedMount&&) = delete;

    bool mounted() const { return !target_.empty(); }

private:
    explicit ScopedMount(std::string target) : target_(std::move(target)) {}
    std::string target_; // empty when nothing is mounted
};

// A real file system of a few kilobytes, to fill up: a tmpfs mounted on a temporary
// folder. Mounting needs root (as CI has); mounted() says whether it worked.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t kilobytes);
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mount_.mounted(); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    ScopedMount mount_;
};

} // namespace orbisk::testing
