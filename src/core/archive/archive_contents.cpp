#include "archive/archive_contents.h"

#include "archive/archive_opening.h"
#include "archive/utf8_locale.h"
#include "platform/read_error.h"
#include "text/display_text.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cerrno>
#include <locale.h>
#include <memory>
#include <optional>

namespace orbisk {

namespace {

// A forward jump of at most this much is read through rather than jumped, so that the
// archive's own bytes are fingerprinted in order; a longer one is read again at the end.
constexpr std::uint64_t ReadThroughGap = 8 << 20;

// The archive file as libarchive reads it: each block read through the platform, the
// bytes fingerprinted in the file's order as they pass.
class Source {
public:
    Source(ReadableFile& file, ReadCounters& counters, std::stop_token stop)
        : file_(file), counters_(counters), stop_(std::move(stop)), size_(file.size()),
          buffer_(ContentReader::BlockBytes) {}

    // The next block from where the library stands; nothing when the reading must stop.
    std::optional<std::size_t> next(const void** bytes) {
        if (position_ > hashed_ && position_ - hashed_ <= ReadThroughGap) {
            while (hashed_ < position_) {
                const auto got = readAt(
                    hashed_, std::min<std::uint64_t>(position_ - hashed_, buffer_.size()), true);
                if (cancelled_) {
                    return std::nullopt;
                }
                if (!got || *got == 0) {
                    break; // the library did not ask for these bytes: they wait for the end
                }
            }
        }
        const auto got = readAt(position_, buffer_.size(), false);
        if (got) {
            position_ += *got;
            *bytes = buffer_.data();
        }
        return got;
    }

    std::int64_t seek(std::int64_t offset, int whence) {
        const auto size = static_cast<std::int64_t>(size_);
        const std::int64_t from = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? static_cast<std::int64_t>(position_)
                                                       : size;
        position_ = static_cast<std::uint64_t>(std::clamp<std::int64_t>(from + offset, 0, size));
        return static_cast<std::int64_t>(position_);
    }

    std::int64_t skip(std::int64_t request) {
        const auto left = static_cast<std::int64_t>(size_ - std::min(size_, position_));
        const std::int64_t skipped = std::clamp<std::int64_t>(request, 0, left);
        position_ += static_cast<std::uint64_t>(skipped);
        return skipped;
    }

    // Reads what was not read in order, and one byte past the end, and says how the file's
    // reading ended.
    ContentRead finish() {
        ContentRead read;
        read.expectedBytes = size_;
        while (!stopped() && !shortAt_ && hashed_ < size_) {
            const auto got =
                readAt(hashed_, std::min<std::uint64_t>(size_ - hashed_, buffer_.size()), false);
            if (got && *got == 0) {
                shortAt_ = hashed_;
            }
        }
        std::optional<std::size_t> past;
        if (!stopped() && !shortAt_) {
            past = readAt(size_, 1, false);
        }
        if (cancelled_) {
            read.end = ContentRead::End::Cancelled;
            read.bytesRead = hashed_;
        } else if (failure_) {
            read.end = ContentRead::End::Unreadable;
            read.reason = *failure_;
            read.bytesRead = failedAt_;
        } else if (shortAt_) {
            read.end = ContentRead::End::Shorter;
            read.bytesRead = *shortAt_;
        } else if (past && *past > 0) {
            read.end = ContentRead::End::Longer;
            read.bytesRead = size_ + *past;
        } else {
            read.bytesRead = size_;
            read.fingerprint = hasher_.fingerprint();
        }
        return read;
    }

    bool stopped() const { return cancelled_ || failure_.has_value(); }
    bool cancelled() const { return cancelled_; }
    const std::optional<MessageLines>& failure() const { return failure_; }

private:
    // Reads count bytes at offset into the buffer and fingerprints those that come next in
    // the file's order. A failure ends the reading, but where the read was the source's own
    // (quiet) it is only kept for when the bytes are asked for.
    std::optional<std::size_t> readAt(std::uint64_t offset, std::size_t count, bool quiet) {
        if (stopped()) {
            return std::nullopt;
        }
        if (stop_.stop_requested()) {
            cancelled_ = true;
            return std::nullopt;
        }
        const auto fail = [&](const MessageLines& reason, std::uint64_t at) {
            if (quiet) {
                pending_ = {reason, at};
            } else {
                failure_ = reason;
                failedAt_ = at;
            }
            return std::nullopt;
        };
        if (pending_ && offset <= pending_->second && pending_->second < offset + count) {
            if (offset == pending_->second) {
                return fail(pending_->first, offset);
            }
            count = static_cast<std::size_t>(pending_->second - offset);
        }
        std::size_t got = 0;
        try {
            got = file_.read(offset, buffer_.data(), count);
        } catch (const ReadError& error) {
            got = std::min(error.goodBytes(), count);
            if (got == 0) {
                return fail(error.reason(), offset);
            }
            // The bytes before the bad place go to the library first, so that the packed
            // files they hold are read; the failure is met again there without a second
            // try of the disc.
            pending_ = {error.reason(), offset + got};
            count = got;
        } catch (const FileError& error) {
            return fail(error.reason(), offset);
        }
        if (got < count && offset + got < size_ && !shortAt_) {
            shortAt_ = offset + got;
        }
        if (offset <= hashed_ && offset + got > hashed_ && hashed_ < size_) {
            const std::uint64_t end = std::min<std::uint64_t>(offset + got, size_);
            hasher_.add(buffer_.data() + (hashed_ - offset), end - hashed_);
            counters_.bytes += end - hashed_;
            hashed_ = end;
        }
        return got;
    }

    ReadableFile& file_;
    ReadCounters& counters_;
    std::stop_token stop_;
    std::uint64_t size_;
    std::vector<char> buffer_;
    std::uint64_t position_ = 0;
    ContentHasher hasher_;
    std::uint64_t hashed_ = 0; // the file's bytes fingerprinted, from its start
    std::optional<std::uint64_t> shortAt_;
    bool cancelled_ = false;
    std::optional<MessageLines> failure_;
    std::uint64_t failedAt_ = 0;
    std::optional<std::pair<MessageLines, std::uint64_t>> pending_; // a failure met part-way
};

la_ssize_t readSource(archive* a, void* data, const void** bytes) {
    auto* source = static_cast<Source*>(data);
    const auto got = source->next(bytes);
    if (!got) {
        // The source keeps the reason itself; the library is only told that the read
        // ended.
        archive_set_error(a, source->cancelled() ? ECANCELED : EIO, "%s",
                          source->cancelled() ? "cancelled" : "read failed");
        return -1;
    }
    return static_cast<la_ssize_t>(*got);
}

la_int64_t seekSource(archive*, void* data, la_int64_t offset, int whence) {
    return static_cast<Source*>(data)->seek(offset, whence);
}

la_int64_t skipSource(archive*, void* data, la_int64_t request) {
    return static_cast<Source*>(data)->skip(request);
}

MessageLines errorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? MessageLines{Verbatim(text)} : MessageLines{};
}

bool isListed(archive_entry* entry, const std::optional<std::string>& path,
              const ArchiveLimits& limits) {
    return archive_entry_hardlink(entry) == nullptr && archive_entry_filetype(entry) == AE_IFREG &&
           path && !path->empty() && path->size() <= limits.longestPath;
}

enum class Unpacked { Done, MemberFailed, ArchiveFailed };

// Unpacks the current member and fingerprints what comes out.
Unpacked unpack(archive* a, Source& source, const std::stop_token& stop, MemberContent& member) {
    static const std::array<char, 65536> zeros{};
    ContentRead& read = member.read;
    ContentHasher hasher;
    const auto fail = [&](int status) {
        if (source.cancelled() || stop.stop_requested()) {
            read.end = ContentRead::End::Cancelled;
        } else if (source.failure()) {
            read.end = ContentRead::End::Unreadable;
            read.reason = *source.failure();
        } else {
            read.end = ContentRead::End::Damaged;
            read.reason = errorOf(a);
        }
        return status == ARCHIVE_FATAL || source.stopped() ? Unpacked::ArchiveFailed
                                                           : Unpacked::MemberFailed;
    };
    for (;;) {
        if (stop.stop_requested()) {
            read.end = ContentRead::End::Cancelled;
            return Unpacked::ArchiveFailed;
        }
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(a, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status < ARCHIVE_WARN) {
            return fail(status);
        }
        // A hole in a sparse file reads as zeros.
        const auto at = static_cast<std::uint64_t>(std::max<la_int64_t>(offset, 0));
        while (read.bytesRead < at) {
            const auto gap = std::min<std::uint64_t>(at - read.bytesRead, zeros.size());
            hasher.add(zeros.data(), gap);
            read.bytesRead += gap;
        }
        hasher.add(block, size);
        read.bytesRead += size;
        if (member.sizeListed && read.bytesRead > read.expectedBytes) {
            read.end = ContentRead::End::Longer; // a damaged archive or a bomb: read no more
            return Unpacked::MemberFailed;
        }
        if (status == ARCHIVE_WARN) {
            return fail(status); // a check of the unpacked bytes failed
        }
    }
    if (member.sizeListed && read.bytesRead < read.expectedBytes) {
        read.end = ContentRead::End::Shorter;
        return Unpacked::MemberFailed;
    }
    read.fingerprint = hasher.fingerprint();
    return Unpacked::Done;
}

} // namespace

ArchiveContents ReadArchiveContents(ReadableFile& file, ReadCounters& counters,
                                    std::stop_token stop, const ArchiveLimits& limits) {
    const Utf8Locale utf8;
    Source source(file, counters, stop);
    ArchiveContents contents;
    const ArchiveHandle a = OpenArchive(&source, readSource, seekSource, skipSource);
    if (!a) {
        contents.end = ArchiveContents::End::NotArchive;
    } else {
        archive_entry* entry = nullptr;
        int status = ARCHIVE_OK;
        std::uint64_t place = 0;
        bool stoppedEarly = false;
        while (!stoppedEarly &&
               ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
                status == ARCHIVE_WARN)) {
            const std::uint64_t at = place++;
            const auto path = MemberPath(a.get(), entry);
            if (!isListed(entry, path, limits)) {
                continue;
            }
            if (contents.members.size() == limits.mostMembers) {
                contents.end = ArchiveContents::End::TooMany;
                break;
            }
            MemberContent& member = contents.members.emplace_back();
            member.place = at;
            member.path = *path;
            member.sizeListed = archive_entry_size_is_set(entry) != 0;
            member.read.expectedBytes =
                static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry)));
            if (archive_entry_is_encrypted(entry) != 0) {
                member.read.end = ContentRead::End::Encrypted;
            } else {
                stoppedEarly = unpack(a.get(), source, stop, member) == Unpacked::ArchiveFailed;
            }
            ++counters.members;
        }
        if (contents.end != ArchiveContents::End::TooMany &&
            (stoppedEarly || status != ARCHIVE_EOF)) {
            contents.end = ArchiveContents::End::Damaged;
            contents.reason = errorOf(a.get());
        } else if (contents.members.empty() && archive_format(a.get()) == 0) {
            contents.end = ArchiveContents::End::NotArchive;
        }
    }
    contents.file = source.finish();
    switch (contents.file.end) {
    case ContentRead::End::Cancelled:
        contents.end = ArchiveContents::End::Cancelled;
        contents.reason.clear();
        return contents;
    case ContentRead::End::Unreadable:
    case ContentRead::End::Shorter:
        contents.end = ArchiveContents::End::Failed;
        contents.reason.clear();
        break;
    default:
        break;
    }
    ++counters.files;
    return contents;
}

} // namespace orbisk
