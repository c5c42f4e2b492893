#include "image/volume_descriptors.h"

#include <array>
#include <cdio/iso9660.h>
#include <cstring>
#include <string_view>

namespace orbisk {

namespace {

constexpr std::size_t Sector = 2048;
constexpr std::uint64_t First = 16;
constexpr std::uint64_t Most = 64; // descriptors looked at before giving up

bool isSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string trimmedEnd(std::string text) {
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    return text;
}

// UCS-2/UTF-16 big-endian in UTF-8, up to the first nul.
std::string fromUtf16(const unsigned char* u, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        std::uint32_t c = static_cast<std::uint32_t>(u[i]) << 8 | u[i + 1];
        if (c == 0) {
            break;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < length && u[i + 2] >= 0xDC && u[i + 2] <= 0xDF) {
            const std::uint32_t low = static_cast<std::uint32_t>(u[i + 2]) << 8 | u[i + 3];
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

char upper(unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
}

// Joliet keeps 16 characters of a label, the primary descriptor 32 in a narrow alphabet
// ('_' for what it cannot hold). Where Joliet's agrees with the start of the primary's,
// the two make the whole label, as libblkid puts it together; otherwise Joliet's alone.
std::string jolietLabel(const unsigned char* joliet, const unsigned char* primary,
                        std::size_t length) {
    std::string merged; // UTF-16BE
    std::size_t a = 0;
    std::size_t u = 0;
    for (; u + 1 < length && a < length; u += 2, ++a) {
        if (joliet[u] >= 0xD8 && joliet[u] <= 0xDB && u + 3 < length && joliet[u + 2] >= 0xDC &&
            joliet[u + 2] <= 0xDF) {
            merged.push_back(static_cast<char>(joliet[u++]));
            merged.push_back(static_cast<char>(joliet[u++]));
        }
        if (primary[a] == '_') {
            merged.push_back(static_cast<char>(joliet[u]));
            merged.push_back(static_cast<char>(joliet[u + 1]));
        } else if (joliet[u] == 0 && joliet[u + 1] == '_') {
            merged.push_back('\0');
            merged.push_back(static_cast<char>(primary[a]));
        } else if (joliet[u] == 0 && upper(primary[a]) == upper(joliet[u + 1])) {
            const bool primaryUpper = primary[a] >= 'A' && primary[a] <= 'Z';
            merged.push_back('\0');
            merged.push_back(static_cast<char>(primaryUpper ? joliet[u + 1] : primary[a]));
        } else {
            return trimmedEnd(fromUtf16(joliet, length));
        }
    }
    for (; a < length; ++a) {
        merged.push_back('\0');
        merged.push_back(static_cast<char>(primary[a]));
    }
    return trimmedEnd(
        fromUtf16(reinterpret_cast<const unsigned char*>(merged.data()), merged.size()));
}

// blkid's UUID of an ISO 9660 volume: a time of the descriptor, digits as recorded.
std::string uuidOf(const iso9660_ltime_t& time) {
    const std::string_view digits(time.lt_year, 16);
    if (digits.find_first_not_of('0') == std::string_view::npos && time.lt_gmtoff == 0) {
        return ""; // not set
    }
    std::string uuid;
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10 || i == 12 || i == 14) {
            uuid.push_back('-');
        }
        uuid.push_back(digits[i] == '\0' ? '\0' : digits[i]);
    }
    return uuid.substr(0, uuid.find('\0'));
}

} // namespace

VolumeDescriptors ReadVolumeDescriptors(ReadableFile& data) {
    VolumeDescriptors found;
    std::array<unsigned char, Sector> sector{};
    std::array<unsigned char, Sector> primary{};
    std::array<unsigned char, Sector> joliet{};
    bool isoEnded = false;
    for (std::uint64_t at = First; at < First + Most; ++at) {
        if (data.read(at * Sector, reinterpret_cast<char*>(sector.data()), Sector) < Sector) {
            break;
        }
        const std::string_view id(reinterpret_cast<const char*>(sector.data()) + 1, 5);
        if (id == "CD001" && !isoEnded) {
            if (sector[0] == ISO_VD_PRIMARY && !found.iso9660) {
                found.iso9660 = true;
                primary = sector;
            } else if (sector[0] == ISO_VD_SUPPLEMENTARY && !found.joliet) {
                const auto* svd = reinterpret_cast<const iso9660_svd_t*>(sector.data());
                const std::string_view escapes(svd->escape_sequences, 3);
                if (escapes == "%/@" || escapes == "%/C" || escapes == "%/E") {
                    found.joliet = true;
                    joliet = sector;
                }
            } else if (sector[0] == ISO_VD_END) {
                isoEnded = true;
            }
        } else if (id == "NSR02") {
            found.udf = VolumeDescriptors::Udf::Early;
        } else if (id == "NSR03") {
            found.udf = VolumeDescriptors::Udf::Later;
        } else if (id == "TEA01" ||
                   (id != "BEA01" && id != "CD001" && id != "BOOT2" && id != "CDW02")) {
            break; // the end of the recognition sequence
        }
    }
    if (found.iso9660) {
        const auto* pvd = reinterpret_cast<const iso9660_pvd_t*>(primary.data());
        const auto* label = reinterpret_cast<const unsigned char*>(pvd->volume_id);
        if (found.joliet) {
            const auto* svd = reinterpret_cast<const iso9660_svd_t*>(joliet.data());
            found.volume.label = jolietLabel(reinterpret_cast<const unsigned char*>(svd->volume_id),
                                             label, ISO_MAX_VOLUME_ID);
        } else {
            const std::string_view text(reinterpret_cast<const char*>(label), ISO_MAX_VOLUME_ID);
            found.volume.label = trimmedEnd(std::string(text.substr(0, text.find('\0'))));
        }
        found.volume.uuid = uuidOf(pvd->modification_date);
        if (found.volume.uuid.empty()) {
            found.volume.uuid = uuidOf(pvd->creation_date);
        }
        found.volume.type = "iso9660";
    }
    return found;
}

} // namespace orbisk
