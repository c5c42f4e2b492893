#include "archive/archive_reader.h"

#include "archive/archive_opening.h"
#include "archive/utf8_locale.h"
#include "text/display_text.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <cerrno>
#include <clocale>
#include <locale.h>
#include <memory>
#include <optional>
#include <string_view>

namespace orbisk {

namespace {

// Where libarchive reads the archive from: the file, through the platform.
struct Source {
    ReadableFile& file;
    std::chrono::steady_clock::time_point deadline;
    std::stop_token stop = {};
    std::uint64_t position = 0;
    std::array<char, 65536> buffer{};
    bool late = false;
    // Why the file could not be read, as its reader said it.
    std::optional<MessageLines> failure{};

    // Whether the listing has had its time, or is no longer wanted.
    bool over() const {
        return std::chrono::steady_clock::now() > deadline || stop.stop_requested();
    }
};

la_ssize_t readSource(archive* a, void* data, const void** bytes) {
    auto* source = static_cast<Source*>(data);
    if (source->over()) {
        source->late = true;
        archive_set_error(a, EIO, "too slow");
        return -1;
    }
    try {
        const std::size_t n =
            source->file.read(source->position, source->buffer.data(), source->buffer.size());
        source->position += n;
        *bytes = source->buffer.data();
        return static_cast<la_ssize_t>(n);
    } catch (const FileError& error) {
        source->failure = error.reason();
        archive_set_error(a, EIO, "%s", error.what());
        return -1;
    }
}

la_int64_t seekSource(archive*, void* data, la_int64_t offset, int whence) {
    auto* source = static_cast<Source*>(data);
    const auto size = static_cast<la_int64_t>(source->file.size());
    const la_int64_t from = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? static_cast<la_int64_t>(source->position)
                                                 : size;
    const la_int64_t to = std::clamp<la_int64_t>(from + offset, 0, size);
    source->position = static_cast<std::uint64_t>(to);
    return to;
}

la_int64_t skipSource(archive*, void* data, la_int64_t request) {
    auto* source = static_cast<Source*>(data);
    const auto left = static_cast<la_int64_t>(source->file.size() - source->position);
    const la_int64_t skipped = std::clamp<la_int64_t>(request, 0, left);
    source->position += static_cast<std::uint64_t>(skipped);
    return skipped;
}

std::string errorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "";
}

// Whether a RAR 5 archive is solid, its members packed as one stream: its main header
// says so. Where the header cannot be read here, it is taken for solid.
bool isSolidRar5(ReadableFile& file) {
    std::array<char, 64> head{};
    std::size_t size = 0;
    try {
        size = file.read(0, head.data(), head.size());
    } catch (const FileError&) {
        return true;
    }
    constexpr std::string_view Signature("Rar!\x1a\x07\x01\x00", 8);
    if (std::string_view(head.data(), size).substr(0, Signature.size()) != Signature) {
        return true; // behind a program that unpacks itself
    }
    std::size_t at = Signature.size() + 4; // past the header's CRC
    const auto number = [&](std::uint64_t& value) {
        value = 0;
        for (int shift = 0; at < size && shift < 64; shift += 7) {
            const auto byte = static_cast<unsigned char>(head[at++]);
            value |= std::uint64_t{byte & 0x7fu} << shift;
            if ((byte & 0x80u) == 0) {
                return true;
            }
        }
        return false;
    };
    std::uint64_t headerSize = 0, type = 0, flags = 0, extra = 0, data = 0, archiveFlags = 0;
    if (!number(headerSize) || !number(type) || type != 1 || !number(flags) ||
        ((flags & 0x1) != 0 && !number(extra)) || ((flags & 0x2) != 0 && !number(data)) ||
        !number(archiveFlags)) {
        return true;
    }
    return (archiveFlags & 0x4) != 0;
}

// Whether stepping over a member's data means unpacking it: inside a compressed stream
// (a .tar.gz or .tar.bz2) or a solid RAR 5. libarchive would then unpack all of it inside
// one call, however much it is (a bomb claims gigabytes in a few kilobytes), so the listing
// unpacks it itself, a block at a time, and looks at the clock between blocks. Elsewhere
// the data is stepped over unread: a ZIP, an LZH or a tar by their recorded sizes, a 7z
// without unpacking its blocks.
bool steppingOverUnpacks(archive* a, ReadableFile& file) {
    for (int filter = 0; filter < archive_filter_count(a); ++filter) {
        if (archive_filter_code(a, filter) != ARCHIVE_FILTER_NONE) {
            return true;
        }
    }
    return archive_format(a) == ARCHIVE_FORMAT_RAR_V5 && isSolidRar5(file);
}

// Unpacks the current member's data and lets it go, a block at a time, until its end.
// False when the listing must end here: the deadline passed, or the archive is damaged.
bool unpackThrough(archive* a, Source& source) {
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        if (source.over()) {
            source.late = true;
            return false;
        }
        const int status = archive_read_data_block(a, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return true;
        }
        if (status == ARCHIVE_FATAL) {
            return false;
        }
        if (status == ARCHIVE_FAILED) {
            return true; // data this library cannot unpack (encrypted): stepped over as before
        }
    }
}

bool leadsOutside(std::string_view path) {
    if (!path.empty() && (path.front() == '/' || path.front() == '\\')) {
        return true;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find_first_of("/\\", start);
        if (path.substr(start, end == std::string_view::npos ? end : end - start) == "..") {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsArchiveName(std::string_view name) {
    static const char* const endings[] = {".zip", ".lzh",  ".lha", ".7z",  ".cab", ".tar", ".tgz",
                                          ".tbz", ".tbz2", ".txz", ".gz",  ".bz2", ".xz",  ".lzma",
                                          ".z",   ".iso",  ".rar", ".jar", ".exe"};
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot > 5) {
        return false;
    }
    char lower[6] = {};
    std::transform(
        name.begin() + static_cast<std::ptrdiff_t>(dot), name.end(), lower,
        [](unsigned char c) { return static_cast<char>(c | (c >= 'A' && c <= 'Z' ? 0x20 : 0)); });
    const std::string_view ending(lower, name.size() - dot);
    return std::any_of(std::begin(endings), std::end(endings),
                       [ending](const char* e) { return ending == e; });
}

MemberList ListMembers(ReadableFile& file, const ArchiveLimits& limits) {
    const Utf8Locale utf8;
    Source source{file, std::chrono::steady_clock::now() + limits.longest, limits.stop};
    MemberList list;
    const auto a = OpenArchive(&source, readSource, seekSource, skipSource);
    if (!a) {
        return {MemberList::End::Unreadable, {}, 0, 0, 0, "not an archive"};
    }
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    std::int64_t ordinal = -1;
    std::optional<bool> unpacking; // known once the first header is read
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
           status == ARCHIVE_WARN) {
        ++ordinal;
        // The clock is looked at between members as well as between reads: a long member
        // list needs little reading.
        if (source.over()) {
            source.late = true;
            status = ARCHIVE_FATAL;
            break;
        }
        if (!unpacking) {
            unpacking = steppingOverUnpacks(a.get(), file);
        }
        // The member's data, passed over now rather than by the next header's call; the
        // entry stays as it was read.
        if (*unpacking && !unpackThrough(a.get(), source)) {
            status = ARCHIVE_FATAL;
            break;
        }
        const mode_t type = archive_entry_filetype(entry);
        if (archive_entry_hardlink(entry) != nullptr || type == AE_IFLNK) {
            ++list.links;
            continue;
        }
        if (type != AE_IFREG) {
            continue; // folders and devices hold no file to copy
        }
        const auto path = MemberPath(a.get(), entry);
        if (!path || path->empty()) {
            continue;
        }
        const std::string_view whole(*path);
        if (whole.size() > limits.longestPath) {
            ++list.overlong;
            continue;
        }
        if (list.members.size() == limits.mostMembers) {
            list.end = MemberList::End::TooMany;
            return list;
        }
        list.outside += leadsOutside(whole) ? 1 : 0;
        const auto cut = whole.find_last_of('/');
        list.members.push_back(
            {std::string(whole),
             std::string(cut == std::string_view::npos ? whole : whole.substr(cut + 1)),
             {static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry))),
              static_cast<std::int64_t>(archive_entry_mtime(entry))},
             ordinal});
    }
    if (status != ARCHIVE_EOF || (list.members.empty() && archive_format(a.get()) == 0)) {
        return {MemberList::End::Unreadable,
                {},
                list.links,
                list.overlong,
                list.outside,
                source.late ? "too slow" : errorOf(a.get())};
    }
    return list;
}

namespace {

// Writes the current entry's data into out, no further than expected bytes, and says how
// many it unpacked to.
// Why the archive could not be read: a stop, the file's own failure, or the library's.
[[noreturn]] void failed(archive* a, const Source& source) {
    if (source.stop.stop_requested()) {
        throw CopyStopped();
    }
    if (source.failure) {
        throw FileError(*source.failure);
    }
    throw FileError(MessageLines{{MessageId::ArchiveDamaged, {errorOf(a)}}});
}

void unpack(archive* a, std::uint64_t expected, FileWriter& out, const Source& source) {
    std::array<char, 65536> buffer{};
    std::uint64_t written = 0;
    for (;;) {
        if (source.stop.stop_requested()) {
            throw CopyStopped();
        }
        const la_ssize_t n = archive_read_data(a, buffer.data(), buffer.size());
        if (n == 0) {
            break;
        }
        if (n < 0) {
            failed(a, source);
        }
        written += static_cast<std::uint64_t>(n);
        if (written > expected) {
            throw FileError(MessageLines{
                {MessageId::ArchiveOverflow, {Count(static_cast<std::int64_t>(expected))}}});
        }
        out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    if (written != expected) {
        throw FileError(MessageLines{{MessageId::ArchiveShort,
                                      {Count(static_cast<std::int64_t>(expected)),
                                       Count(static_cast<std::int64_t>(written))}}});
    }
}

} // namespace

void ExtractMember(ReadableFile& file, const PackedFile& packed, FileWriter& out,
                   std::stop_token stop) {
    const Utf8Locale utf8;
    // Taking out one member may mean reading through the others before it.
    Source source{file, std::chrono::steady_clock::time_point::max(), std::move(stop)};
    const auto a = OpenArchive(&source, readSource, seekSource, skipSource);
    if (!a) {
        throw FileError(MessageLines{{MessageId::NotAnArchive, {}}});
    }
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    bool written = false;
    for (std::int64_t ordinal = 0;
         (status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK ||
         status == ARCHIVE_WARN;
         ++ordinal) {
        const bool known = packed.ordinal >= 0;
        if (known && ordinal < packed.ordinal) {
            continue;
        }
        const bool same =
            archive_entry_filetype(entry) == AE_IFREG && archive_entry_hardlink(entry) == nullptr &&
            MemberPath(a.get(), entry) == packed.path &&
            static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry))) ==
                packed.bytes;
        if (known && !same) {
            throw FileError(MessageLines{{MessageId::ArchiveChanged, {}}});
        }
        if (!same) {
            continue;
        }
        if (written) {
            throw FileError(MessageLines{{MessageId::ArchiveAmbiguous, {}}});
        }
        if (archive_entry_is_encrypted(entry) != 0) {
            throw FileError(MessageLines{{MessageId::ArchiveEncrypted, {}}});
        }
        unpack(a.get(), packed.bytes, out, source);
        written = true;
        if (known) {
            break;
        }
    }
    if (!written && status != ARCHIVE_EOF) {
        failed(a.get(), source);
    }
    if (!written) {
        throw FileError(MessageLines{{MessageId::NotInArchive, {}}});
    }
    out.commit();
}

} // namespace orbisk
