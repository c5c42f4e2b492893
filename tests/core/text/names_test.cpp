#include "catalog/row_writer.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "support/catalog_rows.h"
#include "support/lzh_writer.h"
#include "support/real_folders_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// Names in code page 932, as old Japanese systems wrote them.
const std::string Mitsumorisho = "\x8c\xa9\x90\xcf\x8f\x91"; // 見積書
const std::string Bunsho = "\x95\xb6\x8f\x91";               // 文書
const std::string Tesuto = "\x83\x65\x83\x58\x83\x67";       // テスト, "e" and "g" inside
const std::string Nowhere = "\xff\xfe";                      // in no code

// A disc of an old Japanese system, a real folder tree: files named in code page 932, an
// LZH and a zip made without the UTF-8 flag with such names inside, and a name that is
// neither UTF-8 nor code page 932.
class ShownNames : public RealFoldersFixture {
protected:
    std::string disc = (dir / "disc").string();

    void SetUp() override {
        dir.write("disc/" + Mitsumorisho + ".txt", "estimate on the disc\n");
        dir.write("disc/" + Tesuto + ".txt", "test\n");
        dir.write("disc/" + Nowhere + ".bin", "bytes\n");
        std::ofstream(disc + "/old.lzh", std::ios::binary)
            << StoredLzh({{"old\\" + Bunsho + "_ark.txt", "document in an lzh\n"},
                          {Mitsumorisho + "_lzh.txt", "estimate in an lzh\n"}});
        dir.write("zipped/" + Mitsumorisho + "_zip.txt", "estimate in a zip\n");
        ASSERT_EQ(std::system(("cd '" + dir.str() + "/zipped' && zip -q '" + disc + "/sjis.zip' " +
                               Mitsumorisho + "_zip.txt")
                                  .c_str()),
                  0);
        ASSERT_EQ(RegisterDisc(platform, catalog, disc, "Old disc", sink),
                  Registration::Registered);
    }
    Lines lines(const std::string& key, const std::string& title = "ALL",
                const NameIndex* index = nullptr) {
        Lines out;
        for (const Hit& hit : SearchCatalog(catalog, index, key, title).hits) {
            out.push_back(HitLine(hit));
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(ShownNames, AKeyTypedInUtf8FindsTheNamesAsShownAndTheIndexAgrees) {
    const Lines estimates{"[Old disc]old.lzh > 見積書_lzh.txt",
                          "[Old disc]sjis.zip > 見積書_zip.txt", "[Old disc]見積書.txt"};
    EXPECT_EQ(lines("*見積書*"), estimates);
    EXPECT_EQ(lines("*ミツモリ*"), Lines{}) << "nothing is folded beyond the rule";
    EXPECT_EQ(lines("見積書.TXT"), (Lines{"[Old disc]見積書.txt"}));
    EXPECT_EQ(lines("???.txt"), (Lines{"[Old disc]テスト.txt", "[Old disc]見積書.txt"}))
        << "a character is what is shown, not a byte";
    EXPECT_EQ(lines("*文書*"), (Lines{"[Old disc]old.lzh > old/文書_ark.txt"}));
    EXPECT_EQ(lines("*" + Mitsumorisho + "*"), estimates) << "a key in code page 932 alike";

    // The bytes are not the name: "e" and "g" are inside テスト's bytes, not in its text.
    EXPECT_EQ(lines("*e*"), Lines{});
    EXPECT_EQ(lines("*g*"), Lines{});
    // A name in no code is found byte for byte.
    EXPECT_EQ(lines("*" + Nowhere + "*"), (Lines{"[Old disc]\uFFFD\uFFFD.bin"}));
    EXPECT_EQ(lines("??.bin"), (Lines{"[Old disc]\uFFFD\uFFFD.bin"}));

    NameIndex index(dir / "cache/names", catalog, files);
    index.update();
    for (const std::string& key : Lines{"*見積書*", "*文書*", "*e*", "*g*", "???.txt",
                                        "*" + Nowhere + "*", "*" + Mitsumorisho + "*"}) {
        ASSERT_TRUE(index.candidates(key, std::nullopt)) << key;
        EXPECT_EQ(lines(key, "ALL", &index), lines(key)) << key;
    }
}

TEST_F(ShownNames, ATitleInCodePage932IsTheTitleShown) {
    storeFiles(catalog, {{"/old/a.txt", Mitsumorisho, "a.txt", "txt", "1", "1999-01-01"}});
    storeTitle(catalog, Mitsumorisho);
    EXPECT_EQ(lines("a.txt", "見積書"), (Lines{"[見積書]a.txt"}));
    EXPECT_EQ(lines("a.txt", "見積"), Lines{});
}

TEST_F(ShownNames, CopiesAreNamedAsShownInUtf8ByteEqualAndLoggedSo) {
    const CopyRun run = copyFound("*");
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/見積書.txt"), "estimate on the disc\n");
    EXPECT_EQ(dir.read("out/テスト.txt"), "test\n");
    EXPECT_EQ(dir.read("out/文書_ark.txt"), "document in an lzh\n");
    EXPECT_EQ(dir.read("out/見積書_lzh.txt"), "estimate in an lzh\n");
    EXPECT_EQ(dir.read("out/見積書_zip.txt"), "estimate in a zip\n");
    EXPECT_EQ(dir.read("out/\uFFFD\uFFFD.bin"), "bytes\n") << "as shown, replacement marks and all";
    for (const std::string& logged :
         {disc + "/見積書.txt", disc + "/old.lzh > old/文書_ark.txt",
          disc + "/old.lzh > 見積書_lzh.txt", disc + "/sjis.zip > 見積書_zip.txt"}) {
        EXPECT_NE(CopyLogText(run.log).find(logged + "\r\n***Copy Normal End\r\n"),
                  std::string::npos)
            << logged << "\n"
            << CopyLogText(run.log);
    }
    // The catalogue keeps the bytes.
    EXPECT_EQ(tableRows(catalog, "MediaTable Where ファイル名 = '" + Tesuto + ".txt'").size(), 1u);
}

} // namespace
} // namespace orbisk
