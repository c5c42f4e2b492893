#include "content/content_fingerprint.h"

#include <gtest/gtest.h>
#include <random>

namespace orbisk {
namespace {

TEST(ContentFingerprint, TextIsWhatXxhsumPrintsForTheSameBytes) {
    // printf abc | xxhsum -H2; printf '' | xxhsum -H2
    EXPECT_EQ(FingerprintOf("abc").text(), "06b05ab6733a618578af5f94892f3950");
    EXPECT_EQ(FingerprintOf("").text(), "99aa06d3014798d86001c324468d497f");
    EXPECT_EQ(ContentHasher().fingerprint(), FingerprintOf(""));
}

TEST(ContentFingerprint, BytesCutAnywhereGiveTheSameFingerprint) {
    std::mt19937 random(7);
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    const ContentFingerprint whole = FingerprintOf(bytes);
    for (const std::size_t piece : {1u, 63u, 64u, 65u, 1000u, 65536u, 1048577u}) {
        ContentHasher hasher;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            hasher.add(std::string_view(bytes).substr(at, piece));
        }
        EXPECT_EQ(hasher.fingerprint(), whole) << "pieces of " << piece;
    }
    ContentHasher reused;
    reused.add("something else");
    reused.restart();
    reused.add(bytes);
    EXPECT_EQ(reused.fingerprint(), whole);

    bytes[bytes.size() / 2] ^= 1;
    EXPECT_NE(FingerprintOf(bytes), whole) << "one bit changed";
}

TEST(ContentFingerprint, TextAndBytesComeBackAsTheFingerprint) {
    const ContentFingerprint f = FingerprintOf("disc content");
    EXPECT_EQ(ContentFingerprint::fromText(f.text()), f);
    std::string upper = f.text();
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(ContentFingerprint::fromText(upper), f);
    const auto b = f.bytes();
    EXPECT_EQ(ContentFingerprint::fromBytes(b.data(), b.size()), f);

    for (const std::string bad :
         {"", "06b05ab6733a618578af5f94892f395", "06b05ab6733a618578af5f94892f39500",
          "06b05ab6733a618578af5f94892f395g", " 6b05ab6733a618578af5f94892f3950"}) {
        EXPECT_FALSE(ContentFingerprint::fromText(bad)) << bad;
    }
    EXPECT_FALSE(ContentFingerprint::fromBytes(b.data(), 15));
    EXPECT_FALSE(ContentFingerprint::fromBytes(nullptr, 16));
}

TEST(ContentFingerprint, BytesSortAsTheTextDoesAndHalvesAreNotMixedUp) {
    // Agreeing in one half is not the same content.
    const ContentFingerprint a{0x0100000000000000ULL, 0xFFFFFFFFFFFFFFFFULL};
    const ContentFingerprint b{0x0100000000000001ULL, 0x0000000000000000ULL};
    const ContentFingerprint sameHigh{a.high, 0};
    EXPECT_NE(a, sameHigh);
    EXPECT_LT(a, b);
    EXPECT_LT(a.text(), b.text());
    EXPECT_LT(a.bytes(), b.bytes());
    EXPECT_EQ(a.text(), "0100000000000000ffffffffffffffff");
}

} // namespace
} // namespace orbisk
