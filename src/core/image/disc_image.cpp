#include "image/disc_image.h"

#include "image/cdio_image.h"
#include "image/iso_listing.h"
#include "image/volume_descriptors.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orbisk {

namespace {

// A file's bytes where they lie, one after another, in the image's data.
class Slice : public ReadableFile {
public:
    Slice(std::shared_ptr<ReadableFile> data, std::uint64_t offset, std::uint64_t size)
        : data_(std::move(data)), offset_(offset), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
        if (offset >= size_) {
            return 0;
        }
        const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
        const std::size_t n = data_->read(offset_ + offset, bytes, take);
        if (n < take) {
            throw FileError(MessageLines{{MessageId::ImageEndsEarly, {}}});
        }
        return n;
    }

private:
    std::shared_ptr<ReadableFile> data_;
    std::uint64_t offset_;
    std::uint64_t size_;
};

// A file compressed by zisofs starts with this; its bytes are only had through libarchive.
bool compressed(ReadableFile& data, std::uint64_t offset, std::uint64_t size) {
    static constexpr unsigned char magic[8] = {0x37, 0xE4, 0x53, 0x96, 0xC9, 0xDB, 0xD6, 0x07};
    std::array<char, 8> start{};
    return size >= 16 && data.read(offset, start.data(), start.size()) == start.size() &&
           std::memcmp(start.data(), magic, sizeof magic) == 0;
}

enum class Framing { Plain, RawSectors, CueSheet, Nero };

// What the file holds, by its first and last bytes.
Framing framingOf(ReadableFile& file) {
    const std::uint64_t size = file.size();
    std::array<char, 16> tail{};
    if (size >= 12 && file.read(size - 12, tail.data(), 12) == 12 &&
        (std::memcmp(tail.data() + 4, "NERO", 4) == 0 ||
         std::memcmp(tail.data(), "NER5", 4) == 0)) {
        return Framing::Nero;
    }
    std::array<char, 4096> head{};
    const std::size_t n = file.read(0, head.data(), head.size());
    static constexpr unsigned char sync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    if (n >= 16 && std::memcmp(head.data(), sync, sizeof sync) == 0) {
        return Framing::RawSectors;
    }
    // A cue sheet is short text naming a FILE and its TRACKs.
    const std::string_view text(head.data(), n);
    const bool isText = size < 65536 && std::all_of(text.begin(), text.end(), [](char c) {
                            const auto u = static_cast<unsigned char>(c);
                            return u >= 0x20 || u == '\t' || u == '\n' || u == '\r';
                        });
    if (isText && text.find("FILE") != std::string_view::npos &&
        text.find("TRACK") != std::string_view::npos) {
        return Framing::CueSheet;
    }
    return Framing::Plain;
}

} // namespace

bool IsImageName(std::string_view name) {
    static const char* const endings[] = {".iso", ".img", ".bin", ".cue", ".nrg", ".mdf", ".udf"};
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot != 4) {
        return false;
    }
    char lower[5] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(name[dot + i]);
        lower[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
    }
    return std::any_of(std::begin(endings), std::end(endings),
                       [&lower](const char* e) { return std::strcmp(lower, e) == 0; });
}

bool IsImageDrive(const FileSystem& files, const std::string& drive,
                  std::optional<bool> registered) {
    if (drive.empty()) {
        return false;
    }
    if (files.isPresentFile(drive)) {
        return true;
    }
    if (registered) {
        return *registered;
    }
    const auto cut = drive.rfind(files.separator());
    const bool named =
        IsImageName(cut == std::string::npos ? std::string_view(drive)
                                             : std::string_view(drive).substr(cut + 1));
    // Named as an image: a folder there is none, whatever its name.
    return named && !files.isDriveReady(drive);
}

std::shared_ptr<const DiscImage> DiscImage::Open(const FileSystem& files, const std::string& path) {
    std::shared_ptr<ReadableFile> file = files.openForReading(path);
    if (!file) {
        throw ImageError(MessageLines{{MessageId::ImageNotOpened, {}}});
    }
    std::shared_ptr<DiscImage> image(new DiscImage);
    image->path_ = path;
    try {
        switch (framingOf(*file)) {
        case Framing::Nero:
        case Framing::CueSheet:
        case Framing::RawSectors: {
            // Tracks in sectors of 2352 bytes: libcdio frames them, by their cue sheet (found
            // beside a BIN file of the same name) or the Nero image's own table.
            MessageId reason = MessageId::CdNotRecognised;
            image->data_ = OpenCdTracks(path, reason);
            if (!image->data_) {
                throw ImageError(
                    MessageLines{{MessageId::CdTracksUnreadable, {Nested({{reason, {}}})}}});
            }
            image->kind_ = Kind::CdTracks;
            break;
        }
        case Framing::Plain:
            image->data_ = file;
            image->kind_ = Kind::Iso9660;
            break;
        }
        const VolumeDescriptors found = ReadVolumeDescriptors(*image->data_);
        // A disc with both (a UDF bridge) is the UDF disc a drive mounts, where libudf
        // reads it.
        if (found.udf == VolumeDescriptors::Udf::Early && image->kind_ == Kind::Iso9660) {
            if (auto udf = ReadUdfVolume(path)) {
                image->kind_ = Kind::Udf;
                image->volume_ = std::move(udf->volume);
                image->tree_ = std::move(udf->tree);
                image->damage_.unreadable = udf->unreadable;
                return image;
            }
        }
        if (!found.iso9660) {
            if (found.udf == VolumeDescriptors::Udf::Later) {
                throw ImageError(MessageLines{{MessageId::LaterUdf, {}}});
            }
            if (found.udf == VolumeDescriptors::Udf::Early) {
                throw ImageError(MessageLines{{MessageId::UdfDamaged, {}}});
            }
            throw ImageError(MessageLines{{MessageId::NotAnImage, {}}});
        }
        IsoListing listing = ListIso(*image->data_, found.joliet);
        if (listing.tree.size() <= 1 && listing.endedEarly) {
            throw ImageError(
                MessageLines{listing.reason.empty()
                                 ? Message{MessageId::NotAnImage, {}}
                                 : Message{MessageId::ImageDamaged, {Nested(listing.reason)}}});
        }
        image->volume_ = found.volume;
        image->tree_ = std::move(listing.tree);
        image->damage_ = {listing.unreadable, listing.endedEarly, listing.reason};
    } catch (const ImageError&) {
        throw;
    } catch (const FileError& error) {
        throw ImageError(MessageLines{{MessageId::ImageUnreadable, {Nested(error.reason())}}});
    }
    return image;
}

std::unique_ptr<ReadableFile> DiscImage::openFile(ImageTree::Index index) const {
    const ImageTree::Node& node = tree_.node(index);
    if (node.folder) {
        return nullptr;
    }
    if (kind_ == Kind::Udf) {
        return OpenUdfFile(path_, tree_.pathOf(index), node.facts.bytes);
    }
    if (node.access == ImageTree::Access::ThroughLibrary ||
        compressed(*data_, node.offset, node.facts.bytes)) {
        return OpenIsoFileThroughLibrary(data_, node.offset, node.facts.bytes);
    }
    return std::make_unique<Slice>(data_, node.offset, node.facts.bytes);
}

} // namespace orbisk
