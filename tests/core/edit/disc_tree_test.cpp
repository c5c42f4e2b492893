#include "edit/disc_tree.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

// The tree as text: each folder's name, its files' names, then its folders, indented.
std::string shape(const DiscTree& tree, const std::vector<DiscFile>& files, std::size_t at = 0,
                  int depth = 0) {
    const DiscFolder& folder = tree.folders[at];
    std::string out = std::string(depth * 2, ' ') + "[" + folder.name + "]";
    for (const std::size_t f : folder.files) {
        out += " " + files[f].name;
    }
    out += "\n";
    for (const std::size_t child : folder.children) {
        out += shape(tree, files, child, depth + 1);
    }
    return out;
}

DiscFile file(const std::string& path) {
    return {path, path.substr(path.find_last_of("/\\") + 1), 1, "2026-12-07"};
}

TEST(DiscTree, FoldersBelowTheDiscsOwnFolderInTheLinuxForm) {
    const std::vector<DiscFile> files = {
        file("/run/media/u/PHOTOS/README.TXT"), file("/run/media/u/PHOTOS/docs/b.txt"),
        file("/run/media/u/PHOTOS/写真/2003/a.jpg"), file("/run/media/u/PHOTOS/docs/a.txt"),
        file("/run/media/u/PHOTOS//twice/c.txt")};
    EXPECT_EQ(shape(BuildDiscTree(files), files), "[/run/media/u/PHOTOS] README.TXT\n"
                                                  "  [docs] b.txt a.txt\n"
                                                  "  [twice] c.txt\n"
                                                  "  [写真]\n"
                                                  "    [2003] a.jpg\n");
}

TEST(DiscTree, WindowsFormIsCutAtBackslashesAndALinuxNameKeepsItsBackslash) {
    const std::vector<DiscFile> windows = {file("e:\\README.TXT"), file("e:\\DATA\\A.TXT")};
    EXPECT_EQ(shape(BuildDiscTree(windows), windows), "[e:] README.TXT\n  [DATA] A.TXT\n");

    std::vector<DiscFile> linux = {file("/media/cd/a\\b.txt"), file("/media/cd/x/c.txt")};
    linux[0].name = "a\\b.txt";
    EXPECT_EQ(shape(BuildDiscTree(linux), linux), "[/media/cd] a\\b.txt\n  [x] c.txt\n");
}

TEST(DiscTree, NamesThatAreNotUtf8AreKeptAndADiscFromTheRootStartsThere) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67";
    const std::vector<DiscFile> files = {file("/" + sjis + "/a.txt"), file("/etc/b.txt")};
    EXPECT_EQ(shape(BuildDiscTree(files), files), "[/]\n  [etc] b.txt\n  [" + sjis + "] a.txt\n");
    EXPECT_EQ(BuildDiscTree({}).folders.size(), 1u);
}

} // namespace
} // namespace orbisk
