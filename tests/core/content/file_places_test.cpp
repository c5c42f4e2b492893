#include "catalog/catalog.h"
#include "content/file_places.h"
#include "linux_file_system.h"
#include "registration/register_disc.h"
#include "support/real_folders_fixture.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// A disc's files as the catalogue window read them, asked of copies read since: a file is
// known by its row and by what the row holds, never by a row id alone.
class FilePlaces : public RealFoldersFixture {};

TEST_F(FilePlaces, AFileIsKnownByItsRowAndItsPathTogether) {
    dir.write("a/shared.txt", "shared");
    dir.write("a/mine.txt", "mine");
    dir.write("b/shared.txt", "shared");
    std::filesystem::last_write_time(dir / "b/shared.txt",
                                     std::filesystem::last_write_time(dir / "a/shared.txt"));
    dir.write("b/theirs.txt", "theirs");
    for (const auto& [folder, title] : {std::pair{"a", "Disc"}, {"b", "Disc 2"}}) {
        ASSERT_EQ(RegisterDisc(platform, catalog, (dir / folder).string(), title, sink),
                  Registration::Registered);
    }
    Catalog opened(catalog);
    const auto copies = CatalogCopies::Find(opened);
    ASSERT_TRUE(copies);
    std::vector<DiscFile> disc = ReadDiscFiles(catalog, "Disc");
    ASSERT_EQ(disc.size(), 2u);
    const DiscFile shared = disc[0].name == "shared.txt" ? disc[0] : disc[1];
    const DiscFile mine = disc[0].name == "shared.txt" ? disc[1] : disc[0];

    const auto places = OtherPlacesOf(*copies, "Disc", shared);
    ASSERT_TRUE(places);
    ASSERT_EQ(places->size(), 1u);
    EXPECT_EQ((*places)[0].title, "Disc 2");
    EXPECT_EQ((*places)[0].path, (dir / "b/shared.txt").string());
    EXPECT_EQ((*places)[0].match, Match::Weak);
    const auto nowhere = OtherPlacesOf(*copies, "Disc", mine);
    ASSERT_TRUE(nowhere);
    EXPECT_TRUE(nowhere->empty());
    const OnlyOnDisc only = FilesOnlyOnDisc(*copies, "Disc", disc);
    ASSERT_EQ(only.files.size(), 1u);
    EXPECT_EQ(only.files[0].path, mine.path);
    EXPECT_EQ(only.unknown, 0u);

    // The row id now another file's (the catalogue changed since the disc was read), or the
    // file asked for under another title: neither is answered for.
    DiscFile moved = shared;
    moved.row = mine.row;
    EXPECT_FALSE(OtherPlacesOf(*copies, "Disc", moved));
    EXPECT_FALSE(OtherPlacesOf(*copies, "disc", shared));
    EXPECT_FALSE(OtherPlacesOf(*copies, "Disc 2", shared));
    const OnlyOnDisc asked = FilesOnlyOnDisc(*copies, "Disc", {moved, mine});
    EXPECT_EQ(asked.files.size(), 1u);
    EXPECT_EQ(asked.unknown, 1u);
}

} // namespace
} // namespace orbisk
