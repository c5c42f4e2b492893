#include "image/iso_listing.h"

#include "archive/utf8_locale.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cerrno>
#include <locale.h>
#include <optional>

namespace orbisk {

namespace {

// A file this large may be split in extents, whose places libarchive keeps to itself.
constexpr std::uint64_t OneExtent = 0xFFFFF800u;
constexpr std::size_t MostEntries = 10'000'000;

struct Source {
    ReadableFile& data;
    std::uint64_t position = 0;
    std::array<char, 65536> buffer{};
    // Why the data could not be read, as its reader said it.
    std::optional<MessageLines> failure{};
};

la_ssize_t readSource(archive* a, void* opaque, const void** bytes) {
    auto* source = static_cast<Source*>(opaque);
    try {
        const std::size_t n =
            source->data.read(source->position, source->buffer.data(), source->buffer.size());
        source->position += n;
        *bytes = source->buffer.data();
        return static_cast<la_ssize_t>(n);
    } catch (const FileError& error) {
        source->failure = error.reason();
        archive_set_error(a, EIO, "%s", error.what());
        return -1;
    }
}

la_int64_t seekSource(archive*, void* opaque, la_int64_t offset, int whence) {
    auto* source = static_cast<Source*>(opaque);
    const auto size = static_cast<la_int64_t>(source->data.size());
    const la_int64_t from = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? static_cast<la_int64_t>(source->position)
                                                 : size;
    source->position = static_cast<std::uint64_t>(std::clamp<la_int64_t>(from + offset, 0, size));
    return static_cast<la_int64_t>(source->position);
}

la_int64_t skipSource(archive*, void* opaque, la_int64_t request) {
    auto* source = static_cast<Source*>(opaque);
    const auto left = static_cast<la_int64_t>(source->data.size() - source->position);
    const la_int64_t skipped = std::clamp<la_int64_t>(request, 0, left);
    source->position += static_cast<std::uint64_t>(skipped);
    return skipped;
}

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, ArchiveCloser>;

Archive openIso(Source& source) {
    Archive a(archive_read_new());
    archive_read_support_format_iso9660(a.get());
    archive_read_set_read_callback(a.get(), readSource);
    archive_read_set_seek_callback(a.get(), seekSource);
    archive_read_set_skip_callback(a.get(), skipSource);
    archive_read_set_callback_data(a.get(), &source);
    if (archive_read_open1(a.get()) != ARCHIVE_OK) {
        return nullptr;
    }
    return a;
}

std::string errorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "";
}

// A path as the kernel names it: lower case on a volume without Rock Ridge or Joliet
// (libarchive has taken the version off already).
std::string kernelName(archive* a, const char* recorded, bool joliet) {
    std::string path = recorded;
    if (!joliet && archive_format(a) != ARCHIVE_FORMAT_ISO9660_ROCKRIDGE) {
        for (char& c : path) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 0x20);
            }
        }
    }
    return path;
}

// Reads one file of the listing onwards from its start; going back starts it over.
class ThroughLibrary : public ReadableFile {
public:
    ThroughLibrary(std::shared_ptr<ReadableFile> data, std::uint64_t offset, std::uint64_t size)
        : data_(std::move(data)), offset_(offset), size_(size) {}
    std::uint64_t size() const override { return size_; }

    std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
        if (!archive_ || offset < position_) {
            start();
        }
        std::size_t done = 0;
        while (done < count && offset + done < size_) {
            const std::uint64_t at = offset + done;
            // What comes before the place asked for is read and dropped.
            const bool skipping = at > position_;
            char* into = skipping ? scratch_.data() : bytes + done;
            const std::size_t want = skipping ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                                    at - position_, scratch_.size()))
                                              : count - done;
            const la_ssize_t n = archive_read_data(archive_.get(), into, want);
            if (n < 0) {
                throw FileError(errorOf(archive_.get()));
            }
            if (n == 0) {
                break;
            }
            position_ += static_cast<std::uint64_t>(n);
            done += skipping ? 0 : static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    void start() {
        const Utf8Locale utf8;
        archive_.reset();
        source_ = std::make_unique<Source>(Source{*data_});
        archive_ = openIso(*source_);
        position_ = 0;
        archive_entry* entry = nullptr;
        while (archive_ && archive_read_next_header(archive_.get(), &entry) >= ARCHIVE_WARN) {
            if (archive_entry_filetype(entry) == AE_IFREG &&
                static_cast<std::uint64_t>(archive_filter_bytes(archive_.get(), 0)) == offset_) {
                return;
            }
        }
        archive_.reset();
        throw FileError(MessageLines{{MessageId::ImageFileNotFound, {}}});
    }

    std::shared_ptr<ReadableFile> data_;
    std::uint64_t offset_;
    std::uint64_t size_;
    std::unique_ptr<Source> source_;
    Archive archive_;
    std::uint64_t position_ = 0;
    std::array<char, 65536> scratch_{};
};

} // namespace

IsoListing ListIso(ReadableFile& data, bool joliet) {
    const Utf8Locale utf8;
    IsoListing listing;
    Source source{data};
    const Archive a = openIso(source);
    if (!a) {
        listing.endedEarly = true; // and no reason: there is no volume to read
        return listing;
    }
    // libarchive gives a file a second time as a link to the file just before it (the same
    // extent): a file of its own on the disc, with that file's facts and bytes.
    std::string previousPath;
    FileFacts previousFacts;
    std::uint64_t previousOffset = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    std::size_t entries = 0;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
           status == ARCHIVE_WARN) {
        if (++entries > MostEntries) {
            listing.endedEarly = true;
            listing.reason = {Verbatim("too many entries")};
            break;
        }
        const char* name = archive_entry_pathname(entry);
        if (status == ARCHIVE_WARN || name == nullptr) {
            // A record libarchive could not take (out of place, past the end, a name it
            // cannot convert): counted, not guessed at.
            if (listing.unreadable++ == 0) {
                listing.reason = {Verbatim(errorOf(a.get()))};
            }
            continue;
        }
        std::string path = kernelName(a.get(), name, joliet);
        const auto type = archive_entry_filetype(entry);
        const FileFacts facts{
            static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry))),
            static_cast<std::int64_t>(archive_entry_mtime(entry))};
        if (const char* target = archive_entry_hardlink(entry)) {
            if (kernelName(a.get(), target, joliet) == previousPath) {
                listing.tree.add(path, false, previousFacts, previousOffset,
                                 previousFacts.bytes >= OneExtent
                                     ? ImageTree::Access::ThroughLibrary
                                     : ImageTree::Access::Direct);
            } else {
                ++listing.unreadable;
            }
        } else if (type == AE_IFDIR) {
            listing.tree.add(path, true, facts);
        } else if (type == AE_IFREG) {
            const auto offset = static_cast<std::uint64_t>(archive_filter_bytes(a.get(), 0));
            if (offset > data.size() || facts.bytes > data.size() - offset) {
                ++listing.unreadable; // its bytes would lie past the image's end
                continue;
            }
            listing.tree.add(path, false, facts, offset,
                             facts.bytes >= OneExtent ? ImageTree::Access::ThroughLibrary
                                                      : ImageTree::Access::Direct);
            previousPath = std::move(path);
            previousFacts = facts;
            previousOffset = offset;
        }
        // Links to other files, devices and the like hold no file to register.
    }
    if (status == ARCHIVE_FATAL) {
        listing.endedEarly = true;
        listing.reason =
            source.failure ? *source.failure : MessageLines{Verbatim(errorOf(a.get()))};
    }
    listing.tree.finish();
    return listing;
}

std::unique_ptr<ReadableFile> OpenIsoFileThroughLibrary(std::shared_ptr<ReadableFile> data,
                                                        std::uint64_t offset, std::uint64_t size) {
    return std::make_unique<ThroughLibrary>(std::move(data), offset, size);
}

} // namespace orbisk
