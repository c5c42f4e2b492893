#pragma once

#include "platform/file_system.h"

#include <cstdint>

namespace orbisk {

// What the volume descriptors at the start of an image's data say: which file systems it
// holds, and what its ISO 9660 volume says of itself.
struct VolumeDescriptors {
    enum class Udf {
        None,
        Early, // UDF 1.02 to 1.50 (ECMA-167 2nd edition)
        Later  // UDF 2.00 and later (3rd edition)
    };
    bool iso9660 = false;
    bool joliet = false;
    Udf udf = Udf::None;
    // The ISO 9660 volume's label and UUID as libblkid gives them for the same data (the
    // label from Joliet where it agrees with the primary descriptor's, the UUID the
    // modification time, else the creation time, "YYYY-MM-DD-HH-MM-SS-CC").
    VolumeIdentity volume;
};

// Reads the descriptors of data (2048-byte sectors); nothing found where they are missing
// or cut off. Throws FileError where data cannot be read.
VolumeDescriptors ReadVolumeDescriptors(ReadableFile& data);

} // namespace orbisk
