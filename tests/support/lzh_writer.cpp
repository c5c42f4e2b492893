#include "support/lzh_writer.h"

#include <cstdint>

namespace orbisk::testing {

namespace {

// LHA's CRC-16: polynomial 0xA001, reflected, starting from 0.
std::uint16_t crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (const unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

std::string StoredLzh(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string archive;
    for (const auto& [name, data] : members) {
        std::string header = "-lh0-";
        put(header, static_cast<std::uint32_t>(data.size()), 4); // packed size
        put(header, static_cast<std::uint32_t>(data.size()), 4); // original size
        put(header, 0x2E410000, 4);                              // MS-DOS date 2003-02-01
        header.push_back(0x20);                                  // attribute: archive
        header.push_back(0x00);                                  // header level 0
        header.push_back(static_cast<char>(name.size()));
        header += name;
        put(header, crc16(data), 2);
        unsigned sum = 0;
        for (const unsigned char c : header) {
            sum += c;
        }
        archive.push_back(static_cast<char>(header.size()));
        archive.push_back(static_cast<char>(sum & 0xFF));
        archive += header;
        archive += data;
    }
    archive.push_back('\0'); // the end of the archive
    return archive;
}

} // namespace orbisk::testing
