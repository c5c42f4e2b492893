#include "media/folder_walk.h"
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

class FolderWalk : public ::testing::Test {
protected:
    ScriptedPlatform p;
    PathStore paths;
    SkippedFolders skipped;

    bool walk(const std::string& pattern, bool recurse = true) {
        return CollectFiles({p.files, p.dialogs}, pattern, recurse, paths, skipped);
    }
};

TEST_F(FolderWalk, RootOnlyDiscStoresEveryFileWithItsPrefix) {
    p.files.addFile("e:\\README.TXT");
    p.files.addFile("e:\\SETUP.EXE", 10, ReadOnly);
    p.files.addFile("e:\\HIDDEN.SYS", 10, Hidden | System | Archive);
    p.files.addFile("e:\\LABEL", 0, Volume);
    EXPECT_TRUE(walk("e:\\*.*"));
    EXPECT_EQ(paths.paths(),
              (std::vector<std::string>{"e:\\README.TXT", "e:\\SETUP.EXE", "e:\\HIDDEN.SYS"}));
    EXPECT_EQ(paths.count(), 3);
    EXPECT_EQ(p.files.listings, 1);
}

TEST_F(FolderWalk, FilesOfAFolderComeBeforeItsSubfoldersDepthFirst) {
    p.files.addFolder("e:\\A");
    p.files.addFile("e:\\A\\B\\deep.txt");
    p.files.addFile("e:\\A\\a.txt");
    p.files.addFile("e:\\root.txt");
    p.files.addFolder("e:\\EMPTY\\ALSO EMPTY");
    p.files.addFile("e:\\C\\c.txt");
    EXPECT_TRUE(walk("e:\\*.*"));
    EXPECT_EQ(paths.paths(), (std::vector<std::string>{"e:\\root.txt", "e:\\A\\a.txt",
                                                       "e:\\A\\B\\deep.txt", "e:\\C\\c.txt"}));
    EXPECT_EQ(p.files.listings, 6) << "each folder listed once";
}

TEST_F(FolderWalk, TreeOfEmptyFoldersStoresNothing) {
    p.files.addFolder("e:\\A\\B");
    p.files.addFolder("e:\\C");
    EXPECT_TRUE(walk("e:\\*.*"));
    EXPECT_EQ(paths.count(), 0);
}

TEST_F(FolderWalk, PatternWithoutSeparatorReturnsAtOnce) {
    p.files.addFile("e:\\a.txt");
    EXPECT_FALSE(walk("e:*.*"));
    EXPECT_EQ(paths.count(), 0);
    EXPECT_EQ(p.files.listings, 0);
}

TEST_F(FolderWalk, PatternEndingInSeparatorListsEveryName) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\SUB\\b.doc");
    EXPECT_TRUE(walk("e:\\"));
    EXPECT_EQ(paths.paths(), (std::vector<std::string>{"e:\\a.txt", "e:\\SUB\\b.doc"}));
}

TEST_F(FolderWalk, NamePatternIsCarriedIntoEverySubfolder) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\b.doc");
    p.files.addFile("e:\\SUB\\c.TXT");
    p.files.addFile("e:\\SUB\\d.doc");
    EXPECT_TRUE(walk("e:\\*.TXT"));
    EXPECT_EQ(paths.paths(), (std::vector<std::string>{"e:\\a.txt", "e:\\SUB\\c.TXT"}));
}

TEST_F(FolderWalk, WithoutRecursionOnlyTheFirstFolderIsListed) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\SUB\\b.txt");
    EXPECT_TRUE(walk("e:\\*.*", false));
    EXPECT_EQ(paths.paths(), (std::vector<std::string>{"e:\\a.txt"}));
}

TEST_F(FolderWalk, UnreadableFoldersArePassedOverAndTheWalkGoesOn) {
    p.files.addFile("e:\\A\\a.txt");
    p.files.addFile("e:\\BAD\\b.txt");
    p.files.addFile("e:\\C\\c.txt");
    p.files.addFile("e:\\C\\LOCKED\\d.txt");
    p.files.addFile("e:\\E\\e.txt");
    p.files.failListing("e:\\BAD\\");
    p.files.failListing("e:\\C\\LOCKED\\");
    EXPECT_TRUE(walk("e:\\*.*"));
    EXPECT_EQ(paths.paths(),
              (std::vector<std::string>{"e:\\A\\a.txt", "e:\\C\\c.txt", "e:\\E\\e.txt"}));
    EXPECT_EQ(skipped.count, 2);
    EXPECT_EQ(skipped.first, "e:\\BAD\\");
    EXPECT_TRUE(p.transcript.only("message").empty());
}

TEST_F(FolderWalk, ExactlyFullStoreSucceedsAndOneMoreFileStopsWithTheMessage) {
    for (int i = 0; i < PathSlots; ++i) {
        p.files.addFile("e:\\F\\" + std::to_string(i));
    }
    EXPECT_TRUE(walk("e:\\*.*"));
    EXPECT_EQ(paths.count(), PathSlots);
    EXPECT_FALSE(paths.full());
    EXPECT_TRUE(p.transcript.only("message").empty());

    p.files.addFile("e:\\G\\one more");
    p.files.addFile("e:\\H\\never visited");
    PathStore again;
    EXPECT_FALSE(CollectFiles({p.files, p.dialogs}, "e:\\*.*", true, again, skipped));
    EXPECT_EQ(again.count(), PathSlots);
    EXPECT_TRUE(again.full());
    EXPECT_EQ(p.transcript.only("message"),
              (std::vector<std::string>{"message : ファイル名バッファオーバー"}));
    EXPECT_EQ(p.transcript.lines.back(), "message : ファイル名バッファオーバー")
        << "no folder is visited after the overflow";
}

} // namespace
} // namespace orbisk
