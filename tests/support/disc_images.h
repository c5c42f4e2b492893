#pragma once

#include <string>

namespace orbisk::testing {

// An ISO 9660 image with Rock Ridge and Joliet made by xorriso from folder, with the volume
// label and creation time given (YYYYMMDDhhmmss): the time is the volume's UUID. True
// when made.
bool MakeDiscImage(const std::string& folder, const std::string& image, const std::string& label,
                   const std::string& created);

// An image mounted with fuseiso at a folder for the length of a test, as a user's desktop
// would mount a disc. mounted() says whether it worked (it needs FUSE).
class FuseMount {
public:
    FuseMount(const std::string& image, const std::string& folder);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

// An image attached to a loop device, where the machine allows one (root). device() is
// empty otherwise.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& image);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    const std::string& device() const { return device_; }

private:
    std::string device_;
};

} // namespace orbisk::testing
