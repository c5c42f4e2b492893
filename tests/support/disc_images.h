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

// An ext2 volume image of a few megabytes made by mkfs.ext2 from folder, with the label and
// UUID given, as a stick or a disc with a volume that says what it is. True when made.
bool MakeVolumeImage(const std::string& folder, const std::string& image, const std::string& label,
                     const std::string& uuid);

// A volume image mounted read-only from a loop device at a folder for the length of a test,
// as a desktop mounts a disc from its drive. mounted() says whether it worked (it needs
// root and loop devices).
class LoopMount {
public:
    LoopMount(const std::string& image, const std::string& folder);
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;
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
