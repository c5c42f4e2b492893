#include "support/archive_bomb.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace orbisk::testing {

// A tar whose one member claims 64 GB, compressed by tool (bzip2 or gzip) and followed by
// copies of that tool's stream of 64 MB of zeros: a small file that unpacks to gigabytes.
std::string MakeArchiveBomb(const TempDir& dir, const std::string& tool, int copies) {
    std::string header(512, '\0');
    const auto put = [&header](std::size_t at, const std::string& text) {
        header.replace(at, text.size(), text);
    };
    put(0, "big.bin");
    put(100, "0000644");
    put(108, "0000000");
    put(116, "0000000");
    // 64 GB does not fit the size field's octal digits: its base-256 form.
    const std::uint64_t size = std::uint64_t{64} << 30;
    header[124] = static_cast<char>(0x80);
    for (int i = 0; i < 8; ++i) {
        header[135 - i] = static_cast<char>((size >> (8 * i)) & 0xff);
    }
    put(136, "14400000000");
    put(156, "0");
    put(257, std::string("ustar\0"
                         "00",
                         8));
    header.replace(148, 8, 8, ' ');
    unsigned sum = 0;
    for (const char c : header) {
        sum += static_cast<unsigned char>(c);
    }
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "%06o", sum);
    header.replace(148, 7, checksum, 7);
    dir.write("header.tar", header);
    const std::string folder = dir.str();
    const std::string bomb = folder + "/bomb.tar." + (tool == "gzip" ? "gz" : "bz2");
    EXPECT_EQ(std::system(("(" + tool + " -9 -c '" + folder + "/header.tar' > '" + bomb +
                           "' && head -c 64M /dev/zero | " + tool + " -9 > '" + folder + "/zeros')")
                              .c_str()),
              0);
    const std::string zeros = dir.read("zeros");
    std::ofstream out(bomb, std::ios::binary | std::ios::app);
    for (int i = 0; i < copies; ++i) {
        out << zeros;
    }
    return bomb;
}

} // namespace orbisk::testing
