#include "media/path_cuts.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

TEST(PathCuts, NameAndExtensionAreTheTextAfterTheLastMark) {
    EXPECT_EQ(GetFileName("d:\\DATA\\A.TXT", '\\'), "A.TXT");
    EXPECT_EQ(GetFileName("d:\\DATA\\", '\\'), "");
    EXPECT_EQ(GetFileName("README", '\\'), "README");
    EXPECT_EQ(GetFileName("", '\\'), "");
    EXPECT_EQ(GetFileName("/media/cd/写真\\まとめ/アルバム.jpg", '/'), "アルバム.jpg");
    EXPECT_EQ(GetExtension("A.TAR.GZ"), "GZ");
    EXPECT_EQ(GetExtension("README"), "README");
    EXPECT_EQ(GetExtension("FILE."), "");
    EXPECT_EQ(GetExtension(".CFG"), "CFG");
    EXPECT_EQ(GetExtension("データ.テキスト"), "テキスト");
}

TEST(PathCuts, AFolderIsTheDriveOfItsFullNormalPathWithoutASeparatorAtItsEnd) {
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(FolderAsDrive("/media/cd/"), "/media/cd");
    EXPECT_EQ(FolderAsDrive("/media//cd/./DATA/../"), "/media/cd");
    EXPECT_EQ(FolderAsDrive("/"), "/");
    EXPECT_EQ(FolderAsDrive("//"), "/");
    EXPECT_EQ(FolderAsDrive("disc/"), here + "/disc");
    EXPECT_EQ(FolderAsDrive("."), here);
}

} // namespace
} // namespace orbisk
