// What a volume says of itself, read with libblkid, the library blkid and udisks read it
// with.
#include "linux_file_system.h"

#include <blkid/blkid.h>
#include <filesystem>

namespace orbisk {

namespace {

std::string value(blkid_probe probe, const char* name) {
    const char* data = nullptr;
    std::size_t size = 0;
    if (blkid_probe_lookup_value(probe, name, &data, &size) != 0 || data == nullptr) {
        return "";
    }
    return std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}

// What udev learnt of the device when it appeared, from the links it keeps: for a user
// who may not read the device itself.
std::optional<VolumeIdentity> fromUdevLinks(const std::string& device) {
    std::error_code error;
    const auto target = std::filesystem::canonical(device, error);
    if (error) {
        return std::nullopt;
    }
    VolumeIdentity identity;
    for (const auto& [folder, field] : {std::pair{"/dev/disk/by-uuid", &identity.uuid},
                                        std::pair{"/dev/disk/by-label", &identity.label}}) {
        for (const auto& link : std::filesystem::directory_iterator(folder, error)) {
            std::error_code linkError;
            if (std::filesystem::canonical(link.path(), linkError) == target && !linkError) {
                *field = link.path().filename().string();
            }
        }
    }
    if (identity.uuid.empty() && identity.label.empty()) {
        return std::nullopt;
    }
    return identity;
}

} // namespace

std::optional<VolumeIdentity> ProbeVolume(const std::string& device) {
    blkid_probe probe = blkid_new_probe_from_filename(device.c_str());
    if (probe == nullptr) {
        return fromUdevLinks(device);
    }
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe,
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    std::optional<VolumeIdentity> identity;
    if (blkid_do_safeprobe(probe) == 0) {
        identity =
            VolumeIdentity{value(probe, "LABEL"), value(probe, "UUID"), value(probe, "TYPE")};
        if (identity->label.empty() && identity->uuid.empty()) {
            identity.reset();
        }
    }
    blkid_free_probe(probe);
    return identity;
}

} // namespace orbisk
