#include "text/display_text.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

TEST(DisplayText, Utf8StaysAndShiftJisNamesOfOldDiscsAreRead) {
    EXPECT_EQ(DisplayText("/media/写真/a.txt"), "/media/写真/a.txt");
    EXPECT_EQ(DisplayText("\x83\x65\x83\x58\x83\x67.txt"), "テスト.txt");
    // Each part of a path is read on its own: a UTF-8 folder, a Shift-JIS name.
    EXPECT_EQ(DisplayText("/media/写真/\x95\x5c.txt\r\n***Copy Normal End\r\n"),
              "/media/写真/表.txt\r\n***Copy Normal End\r\n");
}

TEST(DisplayText, BytesThatAreNeitherShowAsReplacementMarks) {
    EXPECT_EQ(DisplayText("a\xff"
                          "b"),
              "a\uFFFD"
              "b");
    EXPECT_EQ(DisplayText("ok/\x83/写真"), "ok/\uFFFD/写真") << "a lead byte cut off";
}

} // namespace
} // namespace orbisk
