#include "content/content_reader.h"
#include "platform/read_error.h"
#include "support/random_bytes.h"
#include "words.h"

#include <functional>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::RandomBytes;

// A file held in memory that fails, shrinks or grows where a test says, as a disc does.
class ScriptedFile : public ReadableFile {
public:
    explicit ScriptedFile(std::string bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, char* out, std::size_t count) override {
        ++reads;
        if (beforeRead) {
            beforeRead(offset);
        }
        if (failAt && offset + count > *failAt) {
            const std::size_t good = *failAt > offset ? *failAt - offset : 0;
            std::copy_n(bytes_.data() + offset, good, out);
            if (idReason) {
                throw FileError(*idReason);
            }
            if (reportsGoodBytes) {
                throw ReadError("Input/output error", good);
            }
            throw FileError("Input/output error");
        }
        if (offset >= bytes_.size()) {
            return 0;
        }
        const std::size_t n = std::min<std::size_t>(count, bytes_.size() - offset);
        std::copy_n(bytes_.data() + offset, n, out);
        return n;
    }
    std::string& bytes() { return bytes_; }

    std::optional<std::uint64_t> failAt;
    bool reportsGoodBytes = true;
    std::function<void(std::uint64_t)> beforeRead;
    // A reason said by id (a file read out of a disc image gives these) in place of the
    // system's words.
    std::optional<MessageLines> idReason;
    int reads = 0;

private:
    std::string bytes_;
    std::uint64_t size_;
};

class Reading : public ::testing::Test {
protected:
    ReadCounters counters;
    std::stop_source stop;
    ContentReader reader{counters, stop.get_token()};
};

TEST_F(Reading, AWholeFileGivesItsFingerprintBlockByBlock) {
    const std::string bytes = RandomBytes(3 * ContentReader::BlockBytes + 12345, 1);
    ScriptedFile file(bytes);
    const ContentRead read = reader.read(file);
    EXPECT_EQ(read.end, ContentRead::End::Read);
    EXPECT_EQ(read.fingerprint, FingerprintOf(bytes));
    EXPECT_EQ(read.bytesRead, bytes.size());
    EXPECT_EQ(read.expectedBytes, bytes.size());
    EXPECT_EQ(file.reads, 5) << "four blocks, the last one short, and the look past the end";
    EXPECT_EQ(counters.bytes, bytes.size());
    EXPECT_EQ(counters.files, 1u);

    ScriptedFile empty("");
    const ContentRead none = reader.read(empty);
    EXPECT_EQ(none.end, ContentRead::End::Read);
    EXPECT_EQ(none.fingerprint, FingerprintOf(""));
    EXPECT_EQ(counters.files, 2u);
}

TEST_F(Reading, AReadErrorSaysWhyAndHowFarAndTheFilesAroundItKeepTheirFingerprints) {
    const std::string first = RandomBytes(1500000, 2);
    const std::string failing = RandomBytes(2500000, 3);
    const std::string last = RandomBytes(700000, 4);
    ScriptedFile a(first);
    ScriptedFile b(failing);
    b.failAt = 1234567; // inside a block
    ScriptedFile c(last);

    const ContentRead readA = reader.read(a);
    const ContentRead readB = reader.read(b);
    const ContentRead readC = reader.read(c);
    EXPECT_EQ(readA.fingerprint, FingerprintOf(first));
    EXPECT_EQ(readB.end, ContentRead::End::Unreadable);
    EXPECT_EQ(Worded(readB.reason, Language::English), "Input/output error");
    EXPECT_EQ(readB.bytesRead, 1234567u) << "to the byte, as the system gave them";
    EXPECT_FALSE(readB.fingerprint);
    EXPECT_EQ(readC.end, ContentRead::End::Read);
    EXPECT_EQ(readC.fingerprint, FingerprintOf(last));
    EXPECT_EQ(counters.files, 3u);
    EXPECT_EQ(counters.bytes, first.size() + 1234567 + last.size());

    // A file system that does not say how much of the block was good: the block's start.
    ScriptedFile quiet(failing);
    quiet.failAt = 1234567;
    quiet.reportsGoodBytes = false;
    EXPECT_EQ(reader.read(quiet).bytesRead,
              1234567 / ContentReader::BlockBytes * ContentReader::BlockBytes);
}

TEST_F(Reading, AFileThatShrinksOrGrowsWhileReadIsToldAsSuch) {
    const std::string bytes = RandomBytes(2 * ContentReader::BlockBytes + 100, 5);
    ScriptedFile shrinking(bytes);
    shrinking.beforeRead = [&](std::uint64_t offset) {
        if (offset > 0) {
            shrinking.bytes().resize(ContentReader::BlockBytes + 10);
        }
    };
    const ContentRead shorter = reader.read(shrinking);
    EXPECT_EQ(shorter.end, ContentRead::End::Shorter);
    EXPECT_EQ(shorter.bytesRead, ContentReader::BlockBytes + 10);
    EXPECT_EQ(shorter.expectedBytes, bytes.size());
    EXPECT_FALSE(shorter.fingerprint);

    ScriptedFile growing(bytes);
    growing.beforeRead = [&](std::uint64_t) { growing.bytes().resize(bytes.size() + 1, 'x'); };
    const ContentRead longer = reader.read(growing);
    EXPECT_EQ(longer.end, ContentRead::End::Longer);
    EXPECT_EQ(longer.bytesRead, bytes.size() + 1);
    EXPECT_FALSE(longer.fingerprint);
    EXPECT_EQ(counters.files, 2u);
}

TEST_F(Reading, ACancelStopsWithinOneBlock) {
    const std::string bytes = RandomBytes(5 * ContentReader::BlockBytes, 6);
    ScriptedFile file(bytes);
    file.beforeRead = [&](std::uint64_t offset) {
        if (offset == ContentReader::BlockBytes) {
            stop.request_stop();
        }
    };
    const ContentRead read = reader.read(file);
    EXPECT_EQ(read.end, ContentRead::End::Cancelled);
    EXPECT_EQ(read.bytesRead, 2 * ContentReader::BlockBytes);
    EXPECT_EQ(file.reads, 2);
    EXPECT_FALSE(read.fingerprint);
    EXPECT_EQ(counters.files, 0u) << "a file left half-read is not counted as read";

    ScriptedFile next(bytes);
    EXPECT_EQ(reader.read(next).end, ContentRead::End::Cancelled);
    EXPECT_EQ(next.reads, 0);
}

TEST_F(Reading, AReasonSaidByIdIsKeptAsOneAndWordedByEachFrontEnd) {
    ScriptedFile cut(RandomBytes(300000, 5));
    cut.failAt = 200000;
    cut.idReason = MessageLines{{MessageId::ImageFileEndsEarly, {}}};
    const ContentRead read = reader.read(cut);
    EXPECT_EQ(read.end, ContentRead::End::Unreadable);
    // Kept as the id, not as a developer's text of it, so each front end words it.
    EXPECT_EQ(read.reason, *cut.idReason);
    EXPECT_EQ(Worded(read.reason, Language::English).find("message"), std::string::npos)
        << Worded(read.reason, Language::English);
}

} // namespace
} // namespace orbisk
