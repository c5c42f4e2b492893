#include "content/copy_groups.h"
#include "media/disc_identity.h"
#include "text/text_fold.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

namespace orbisk {
namespace {

constexpr std::int64_t Noon = 1100000000; // 2004-11-09

const ContentFingerprint X = FingerprintOf("the photo");
const ContentFingerprint Y = FingerprintOf("another photo");

FileCopy file(std::uint64_t row, std::uint64_t disc, std::string_view name, std::uint64_t bytes,
              std::int64_t modified, std::optional<ContentFingerprint> content = std::nullopt) {
    return {row, disc, bytes, modified, name, content};
}

CopyGroups groupsOf(const std::vector<FileCopy>& files) {
    CopyFinder finder(files.size());
    for (const FileCopy& f : files) {
        finder.add(f);
    }
    return *finder.finish();
}

using Members = std::vector<std::tuple<std::uint64_t, std::uint64_t, Match>>;

Members membersOf(const CopyGroups& groups, std::size_t group) {
    Members out;
    for (const CopyMember& m : groups.members(group)) {
        out.emplace_back(m.row, m.disc, m.match);
        EXPECT_EQ(groups.rowOf(m.ordinal), m.row);
    }
    return out;
}

// Rows are asked by their place in the pass; the tests name them by row.
Match elsewhere(const CopyGroups& groups, std::uint64_t row) {
    const auto ordinal = groups.ordinalOf(row);
    return ordinal ? groups.elsewhere(*ordinal) : Match::None;
}

std::vector<std::size_t> groupsHolding(const CopyGroups& groups, std::uint64_t row) {
    return groups.groupsOf(*groups.ordinalOf(row));
}

TEST(CopyGroups, TheSameContentUnderAnyNameIsOneFileOnEveryDiscItIsOn) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "IMG_0001.JPG", 5000, Noon, X),
        file(2, 10, "copy of it.jpg", 5000, Noon + 77, X), // the same disc
        file(3, 20, "holiday.jpg", 5000, Noon - 86400 * 400, X),
        file(4, 30, "IMG_0001.JPG", 5000, Noon, Y), // same name, size, date: other content
        file(5, 30, "lonely.txt", 10, Noon, FingerprintOf("lonely")),
    });
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups.content(0), X);
    EXPECT_EQ(membersOf(groups, 0),
              (Members{{1, 10, Match::Strong}, {2, 10, Match::Strong}, {3, 20, Match::Strong}}));
    EXPECT_EQ(elsewhere(groups, 1), Match::Strong);
    EXPECT_EQ(elsewhere(groups, 3), Match::Strong);
    EXPECT_EQ(elsewhere(groups, 4), Match::None) << "its fingerprint says it differs";
    EXPECT_EQ(elsewhere(groups, 5), Match::None);
    EXPECT_EQ(elsewhere(groups, 99), Match::None) << "a row never given";
}

TEST(CopyGroups, TwoCopiesOnOneDiscAreNotACopyElsewhere) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "a.txt", 100, Noon, X),
        file(2, 10, "b.txt", 100, Noon, X),
        file(3, 10, "c.txt", 7, Noon),
        file(4, 10, "c.txt", 7, Noon),
    });
    EXPECT_EQ(groups.size(), 0u);
    EXPECT_EQ(elsewhere(groups, 1), Match::None);
    EXPECT_EQ(elsewhere(groups, 3), Match::None);
    EXPECT_EQ(groupsOf({}).size(), 0u) << "an empty catalogue";
}

TEST(CopyGroups, WithoutFingerprintsNameSizeAndDateAreAWeakMatch) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "Photo Album.JPG", 4096, Noon),
        // As FIND compares names: width and letter case fold; a zone's offset and FAT's two
        // seconds are the same date.
        file(2, 20, "ｐｈｏｔｏ ａｌｂｕｍ.jpg", 4096, Noon + 9 * 3600),
        file(3, 30, "photo album.jpg", 4096, Noon - 2),
        // Each differs in one thing only.
        file(4, 40, "photo album.jpg", 4097, Noon),
        file(5, 50, "photo albun.jpg", 4096, Noon),
        file(6, 60, "photo album.jpg", 4096, Noon + 3600 + 10), // between them in date order
        file(7, 70, "photo album.jpg", 4096, Noon + 27 * 3600),
    });
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_FALSE(groups.content(0));
    EXPECT_EQ(membersOf(groups, 0),
              (Members{{1, 10, Match::Weak}, {2, 20, Match::Weak}, {3, 30, Match::Weak}}));
    for (std::uint64_t row : {1, 2, 3}) {
        EXPECT_EQ(elsewhere(groups, row), Match::Weak) << row;
    }
    for (std::uint64_t row : {4, 5, 6, 7}) {
        EXPECT_EQ(elsewhere(groups, row), Match::None) << row;
    }
}

TEST(CopyGroups, NamesAreFoldedAsFindFoldsThemAndNoFurther) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "しゃしん.txt", 10, Noon),
        file(2, 20, "ｼｬｼﾝ.TXT", 10, Noon), // half-width katakana is hiragana is katakana
        file(3, 30, "résumé.doc", 10, Noon),
        file(4, 40, "resume.doc", 10, Noon),                   // an accent is not folded away
        file(5, 50, "\x83\x65\x83\x58\x83\x67.txt", 10, Noon), // "テスト" in code page 932
        file(6, 60, "テスト.txt", 10, Noon),                   // the same name in UTF-8
    });
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(membersOf(groups, 0), (Members{{1, 10, Match::Weak}, {2, 20, Match::Weak}}));
    EXPECT_EQ(elsewhere(groups, 3), Match::None);
    EXPECT_EQ(elsewhere(groups, 5), Match::None)
        << "FIND finds a name not in UTF-8 by its own bytes only";
}

TEST(CopyGroups, AFileWithoutFingerprintJoinsTheContentItAgreesWithAsAWeakMember) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "song.mp3", 3000000, Noon, X),
        file(2, 20, "song.mp3", 3000000, Noon), // never read: no fingerprint
        file(3, 30, "track01.mp3", 3000000, Noon + 5000, X),
    });
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups.content(0), X);
    EXPECT_EQ(membersOf(groups, 0),
              (Members{{1, 10, Match::Strong}, {2, 20, Match::Weak}, {3, 30, Match::Strong}}));
    EXPECT_EQ(elsewhere(groups, 1), Match::Strong);
    EXPECT_EQ(elsewhere(groups, 2), Match::Weak);
    EXPECT_EQ(groupsHolding(groups, 2), (std::vector<std::size_t>{0}));

    // With no second fingerprint, the read file is only weakly elsewhere.
    const CopyGroups pair = groupsOf({
        file(1, 10, "song.mp3", 3000000, Noon, X),
        file(2, 20, "song.mp3", 3000000, Noon),
    });
    ASSERT_EQ(pair.size(), 1u);
    EXPECT_EQ(elsewhere(pair, 1), Match::Weak);
}

TEST(CopyGroups, AFileAgreeingWithTwoDifferentContentsIsAWeakMemberOfBoth) {
    const CopyGroups groups = groupsOf({
        file(1, 10, "setup.exe", 800, Noon, X),
        file(2, 20, "setup.exe", 800, Noon, Y),
        file(3, 30, "SETUP.EXE", 800, Noon),
    });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups.content(0), X);
    EXPECT_EQ(membersOf(groups, 0), (Members{{1, 10, Match::Strong}, {3, 30, Match::Weak}}));
    EXPECT_EQ(groups.content(1), Y);
    EXPECT_EQ(membersOf(groups, 1), (Members{{2, 20, Match::Strong}, {3, 30, Match::Weak}}));
    EXPECT_EQ(groupsHolding(groups, 3), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(groupsHolding(groups, 1), (std::vector<std::size_t>{0}));
}

TEST(CopyGroups, FingerprintsAgreeingInOneHalfAreDifferentContents) {
    const ContentFingerprint a{0x1234, 0x1};
    const ContentFingerprint b{0x1234, 0x2};
    const ContentFingerprint c{0x9999, 0x1};
    const CopyGroups groups = groupsOf({
        file(1, 10, "a", 10, Noon, a),
        file(2, 20, "b", 10, Noon, b),
        file(3, 30, "c", 10, Noon, c),
    });
    EXPECT_EQ(groups.size(), 0u);
}

TEST(CopyGroups, EmptyFilesAreTheSameByNameSizeAndDateOnly) {
    const ContentFingerprint empty = FingerprintOf("");
    const CopyGroups groups = groupsOf({
        file(1, 10, "empty.log", 0, Noon, empty),
        file(2, 20, "other.log", 0, Noon, empty),
        file(3, 30, "empty.log", 0, Noon, empty),
    });
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_FALSE(groups.content(0));
    EXPECT_EQ(membersOf(groups, 0), (Members{{1, 10, Match::Weak}, {3, 30, Match::Weak}}));
    EXPECT_EQ(elsewhere(groups, 2), Match::None);
}

TEST(CopyGroups, DatesOutsideWhatARowKeepsMatchOnlyToTheSecond) {
    const std::int64_t old = -86400 * 365; // 1969
    const std::int64_t far = std::int64_t{1} << 33;
    const CopyGroups groups = groupsOf({
        file(1, 10, "a", 10, old),
        file(2, 20, "a", 10, old),
        file(3, 30, "a", 10, old + 1),
        file(4, 10, "b", 10, far),
        file(5, 20, "b", 10, far),
        file(6, 30, "b", 10, far & 0xFFFFFFFF), // the same low four bytes
        file(7, 40, "a", 10, 0xFFFFFFFF),
        file(8, 50, "a", 10, 0xFFFFFFFF - 900),
    });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(membersOf(groups, 0), (Members{{1, 10, Match::Weak}, {2, 20, Match::Weak}}));
    EXPECT_EQ(membersOf(groups, 1), (Members{{4, 10, Match::Weak}, {5, 20, Match::Weak}}));
    for (std::uint64_t row : {3, 6, 7, 8}) {
        EXPECT_EQ(elsewhere(groups, row), Match::None) << row;
    }
}

TEST(CopyGroups, OnlyHereIsWhatNoOtherDiscHolds) {
    // Disc 10 dies: which of its files live on elsewhere? A packed file on disc 30 is a
    // copy like any other file.
    const std::uint64_t Packed = std::uint64_t{1} << 63;
    const CopyGroups groups = groupsOf({
        file(1, 10, "report.doc", 2000, Noon, X),
        file(2, 10, "notes.txt", 300, Noon),
        file(3, 10, "unique.bin", 9999, Noon, Y),
        file(4, 20, "notes.txt", 300, Noon),
        file(Packed | 1, 30, "report-final.doc", 2000, Noon + 99, X),
    });
    EXPECT_EQ(groups.onlyOn(10), (std::vector<std::uint32_t>{2})) << "unique.bin, third row";
    EXPECT_EQ(groups.onlyOn(20), (std::vector<std::uint32_t>{}));
    EXPECT_EQ(groups.onlyOn(99), (std::vector<std::uint32_t>{})) << "no such disc";
    EXPECT_EQ(elsewhere(groups, 1), Match::Strong);
    EXPECT_EQ(elsewhere(groups, 2), Match::Weak);
    EXPECT_EQ(elsewhere(groups, Packed | 1), Match::Strong);
}

TEST(CopyGroups, AStopBeforeTheEndGivesNothing) {
    CopyFinder finder;
    finder.add(file(1, 10, "a", 1, Noon));
    finder.add(file(2, 20, "a", 1, Noon));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(finder.finish(stop.get_token()));
}

// The rules written out plainly, one row against every other, for rows drawn at random.
struct Expected {
    std::set<std::pair<std::optional<ContentFingerprint>, Members>> groups;
    std::map<std::uint64_t, Match> elsewhere;
};

Expected plainly(const std::vector<FileCopy>& files) {
    Expected out;
    const auto hasContent = [](const FileCopy& f) { return f.content && f.bytes > 0; };
    const auto keeps = [](std::int64_t d) { return d >= 0 && d < 0xFFFFFFFF; };
    std::vector<std::pair<std::optional<ContentFingerprint>, Members>> found;
    // By name and size, in date order; each row with the first of its run.
    std::map<std::tuple<std::u32string, std::uint64_t, bool, std::int64_t>,
             std::vector<std::size_t>>
        named;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileCopy& f = files[i];
        const bool odd = !keeps(f.modified);
        named[{FoldedText(f.name), f.bytes, odd, odd ? f.modified : 0}].push_back(i);
    }
    std::map<ContentFingerprint, Members> byContent;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (hasContent(files[i])) {
            byContent[*files[i].content].emplace_back(files[i].row, files[i].disc, Match::Strong);
        }
    }
    for (auto& [key, rows] : named) {
        std::stable_sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
            return files[a].modified < files[b].modified;
        });
        // Each row with the earliest row before it that began a cluster and has its date.
        std::vector<std::size_t> anchors;
        std::map<std::size_t, std::vector<std::size_t>> clusters;
        for (const std::size_t i : rows) {
            const auto anchor = std::find_if(anchors.begin(), anchors.end(), [&](std::size_t a) {
                return !keeps(files[i].modified) || SameDate(files[a].modified, files[i].modified);
            });
            if (anchor == anchors.end()) {
                anchors.push_back(i);
                clusters[i].push_back(i);
            } else {
                clusters[*anchor].push_back(i);
            }
        }
        for (const auto& [anchor, cluster] : clusters) {
            if (cluster.size() < 2) {
                continue;
            }
            std::set<ContentFingerprint> contents;
            Members plain;
            for (const std::size_t k : cluster) {
                const FileCopy& f = files[k];
                if (hasContent(f)) {
                    contents.insert(*f.content);
                } else {
                    plain.emplace_back(f.row, f.disc, Match::Weak);
                }
            }
            if (plain.empty()) {
                continue;
            }
            if (contents.empty()) {
                found.emplace_back(std::nullopt, plain);
            }
            for (const ContentFingerprint& c : contents) {
                byContent[c].insert(byContent[c].end(), plain.begin(), plain.end());
            }
        }
    }
    for (auto& [content, members] : byContent) {
        found.emplace_back(content, members);
    }
    for (auto& [content, members] : found) {
        std::sort(members.begin(), members.end());
        std::set<std::uint64_t> discs;
        std::set<std::uint64_t> strongDiscs;
        for (const auto& [row, disc, match] : members) {
            discs.insert(disc);
            if (match == Match::Strong) {
                strongDiscs.insert(disc);
            }
        }
        if (discs.size() < 2) {
            continue;
        }
        for (const auto& [row, disc, match] : members) {
            const Match here =
                match == Match::Strong && strongDiscs.size() > 1 ? Match::Strong : Match::Weak;
            out.elsewhere[row] = std::max(out.elsewhere[row], here);
        }
        out.groups.insert({content, members});
    }
    return out;
}

TEST(CopyGroups, RowsDrawnAtRandomAreGroupedAsTheRulesSayOneByOne) {
    const std::vector<std::string> names = {"a.txt",        "A.TXT",        "ａ.txt", "写真.jpg",
                                            "しゃしん.jpg", "シャシン.jpg", "é.txt",  "e.txt"};
    const std::vector<std::int64_t> shifts = {0,    1,    2,     3,     898,   900,   902,
                                              3600, 3603, 32400, 93600, 93603, 100000};
    std::vector<ContentFingerprint> contents;
    for (int i = 0; i < 4; ++i) {
        contents.push_back(FingerprintOf(std::to_string(i)));
    }
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937_64 random(seed);
        std::vector<FileCopy> files;
        std::set<std::uint64_t> rows;
        for (int i = 0; i < 2000; ++i) {
            // Row ids near each other, far apart and going back, as two tables give them.
            std::uint64_t row = 0;
            do {
                row = random() % 3 == 0 ? random() : 1000 + random() % 100000;
            } while (!rows.insert(row).second);
            std::int64_t date = Noon + shifts[random() % shifts.size()];
            if (random() % 50 == 0) {
                date = random() % 2 ? -7 : (std::int64_t{1} << 33);
            }
            std::optional<ContentFingerprint> content;
            if (random() % 2 == 0) {
                content = contents[random() % contents.size()];
            }
            files.push_back(file(row, 1 + random() % 6, names[random() % names.size()],
                                 random() % 3, date, content));
        }
        const CopyGroups groups = groupsOf(files);
        const Expected expected = plainly(files);
        std::set<std::pair<std::optional<ContentFingerprint>, Members>> got;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            Members members = membersOf(groups, g);
            std::sort(members.begin(), members.end());
            got.insert({groups.content(g), members});
            if (g > 0) {
                EXPECT_LE(groups.members(g - 1).front().ordinal, groups.members(g).front().ordinal)
                    << "groups in the order of their first members";
            }
        }
        EXPECT_EQ(got.size(), groups.size()) << "no group twice";
        EXPECT_TRUE(got == expected.groups) << "seed " << seed;
        for (std::uint32_t ordinal = 0; ordinal < files.size(); ++ordinal) {
            const auto e = expected.elsewhere.find(files[ordinal].row);
            ASSERT_EQ(groups.elsewhere(ordinal),
                      e == expected.elsewhere.end() ? Match::None : e->second)
                << "seed " << seed << " row " << files[ordinal].row;
            ASSERT_EQ(groups.ordinalOf(files[ordinal].row), ordinal);
        }
        for (std::uint64_t disc = 1; disc <= 6; ++disc) {
            std::vector<std::uint32_t> only;
            for (std::uint32_t ordinal = 0; ordinal < files.size(); ++ordinal) {
                if (files[ordinal].disc == disc &&
                    expected.elsewhere.count(files[ordinal].row) == 0) {
                    only.push_back(ordinal);
                }
            }
            EXPECT_EQ(groups.onlyOn(disc), only) << "seed " << seed << " disc " << disc;
        }
    }
}

TEST(CompactRows, NumbersComeBackWhateverTheirSteps) {
    std::mt19937_64 random(3);
    std::vector<std::uint64_t> numbers;
    for (int i = 0; i < 10000; ++i) {
        const int kind = static_cast<int>(random() % 4);
        numbers.push_back(kind == 0   ? random()
                          : kind == 1 ? (numbers.empty() ? 0 : numbers.back() + 1)
                          : kind == 2 ? (numbers.empty() ? 0 : numbers.back() - random() % 1000)
                                      : ~std::uint64_t{0});
    }
    NumberRun run;
    RunValues runs;
    Marks marks;
    for (const std::uint64_t n : numbers) {
        run.push_back(n);
        runs.push_back(n % 3);
        marks.push_back(n % 5 == 0);
    }
    std::size_t marked = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        ASSERT_EQ(run[i], numbers[i]) << i;
        ASSERT_EQ(runs[i], numbers[i] % 3) << i;
        ASSERT_EQ(marks.marked(i), numbers[i] % 5 == 0) << i;
        if (marks.marked(i)) {
            ASSERT_EQ(marks.rank(i), marked) << i;
            ++marked;
        }
    }
}

} // namespace
} // namespace orbisk
