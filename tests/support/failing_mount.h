#pragma once

#include "support/temp_dir.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace orbisk::testing {

// Whether FUSE file systems can be mounted here at all (/dev/fuse is there and open to
// us). Where it is, a mount that fails is a failure of the test, not a reason to skip it.
bool HasFuse();

// A folder shown read-only through the failing mirror (failing_mirror.cpp, which lists
// the rules) at a temporary folder for the length of a test, as a disc in a drive whose
// reads fail where the rules say. The mount goes with this object whatever the test did:
// unmounted, lazily where a file is still open, and the mirror ended.
class FailingMount {
public:
    // Cached: read as the kernel reads a real disc, through its cache (see the mirror).
    enum class Reads { Exact, Cached };
    explicit FailingMount(const std::string& source, const std::vector<std::string>& rules = {},
                          Reads reads = Reads::Exact);
    ~FailingMount();
    FailingMount(const FailingMount&) = delete;
    FailingMount& operator=(const FailingMount&) = delete;

    bool mounted() const { return mounted_; }
    // The mirror's folder, without a closing "/".
    std::string folder() const { return (place_ / "mount").string(); }
    std::string operator/(const std::string& relative) const { return folder() + "/" + relative; }

    // Rules besides those the mount began with, read again by the mirror whenever a file
    // is opened; these replace the ones set before.
    void setRules(const std::vector<std::string>& rules) const;

private:
    TempDir place_;
    pid_t mirror_ = -1;
    bool mounted_ = false;
};

} // namespace orbisk::testing
