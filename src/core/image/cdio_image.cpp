#include "image/cdio_image.h"

#include <array>
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/udf.h>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace orbisk {

namespace {

constexpr std::size_t Sector = 2048;
constexpr lsn_t VolumeDescriptors = 16; // where ISO 9660 and UDF start to describe a volume

// libcdio speaks on standard error unless told otherwise; what it has to say reaches the
// user as a refusal or a count instead.
void quiet(cdio_log_level_t, const char[]) {}
void silenceLibcdio() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(quiet); });
}

bool isDataTrack(CdIo_t* cdio, track_t track) {
    const track_format_t format = cdio_get_track_format(cdio, track);
    return format == TRACK_FORMAT_DATA || format == TRACK_FORMAT_XA || format == TRACK_FORMAT_CDI;
}

bool readSector(CdIo_t* cdio, lsn_t lsn, unsigned char* sector) {
    return cdio_read_data_sectors(cdio, sector, lsn, Sector, 1) == DRIVER_OP_SUCCESS;
}

bool isVolumeDescriptor(const unsigned char* sector) {
    return std::memcmp(sector + 1, "CD001", 5) == 0;
}

class CdTracks : public ReadableFile {
public:
    CdTracks(CdIo_t* cdio, lsn_t sectors, lsn_t session, lsn_t descriptors)
        : cdio_(cdio), sectors_(sectors), session_(session), descriptors_(descriptors) {}
    ~CdTracks() override { cdio_destroy(cdio_); }
    CdTracks(const CdTracks&) = delete;
    CdTracks& operator=(const CdTracks&) = delete;

    std::uint64_t size() const override { return static_cast<std::uint64_t>(sectors_) * Sector; }

    std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
        const std::lock_guard lock(mutex_);
        std::size_t done = 0;
        while (done < count && offset + done < size()) {
            const auto lsn = static_cast<lsn_t>((offset + done) / Sector);
            const std::size_t within = (offset + done) % Sector;
            // Contiguous sectors go together, except across the volume descriptors.
            const bool moved = lsn >= VolumeDescriptors && lsn < VolumeDescriptors + descriptors_;
            lsn_t run = moved ? 1
                              : static_cast<lsn_t>(std::min<std::uint64_t>(
                                    (within + count - done + Sector - 1) / Sector, Batch));
            run = std::min(run, sectors_ - lsn);
            if (!moved && lsn < VolumeDescriptors + descriptors_ && lsn + run > VolumeDescriptors) {
                run = VolumeDescriptors - lsn;
            }
            if (cdio_read_data_sectors(cdio_, buffer_.data(), moved ? lsn + session_ : lsn, Sector,
                                       static_cast<std::uint32_t>(run)) != DRIVER_OP_SUCCESS) {
                throw FileError(MessageLines{{MessageId::SectorUnreadable, {Count(lsn)}}});
            }
            const std::size_t take =
                std::min(static_cast<std::size_t>(run) * Sector - within, count - done);
            std::memcpy(bytes + done, buffer_.data() + within, take);
            done += take;
        }
        return done;
    }

private:
    static constexpr lsn_t Batch = 32;
    CdIo_t* cdio_;
    lsn_t sectors_;
    lsn_t session_;     // where the last session starts
    lsn_t descriptors_; // its volume descriptors, read in place of the first session's
    std::mutex mutex_;
    std::array<unsigned char, Batch * Sector> buffer_{};
};

// A dstring's text (compression 8: Latin-1, 16: UCS-2 big-endian) in UTF-8, as blkid and
// the kernel give it.
std::string fromDstring(const std::uint8_t* d, std::size_t size) {
    std::size_t length = d[size - 1];
    length = length > 0 ? std::min(length - 1, size - 2) : 0;
    std::string out;
    const auto put = [&out](std::uint32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    };
    if (d[0] == 8) {
        for (std::size_t i = 0; i < length; ++i) {
            put(d[1 + i]);
        }
    } else if (d[0] == 16) {
        for (std::size_t i = 0; i + 1 < length; i += 2) {
            put(static_cast<std::uint32_t>(d[1 + i]) << 8 | d[2 + i]);
        }
    }
    return out;
}

// The UUID blkid gives a UDF volume: made of the first 16 characters of its volume set
// identifier, whose first eight are a time stamp in hex digits by the standard.
std::string udfUuid(const std::uint8_t* volumeSet) {
    std::string text = fromDstring(volumeSet, 128).substr(0, 16);
    if (text.size() < 8) {
        return "";
    }
    text.resize(16, '\0');
    std::size_t hex = 0;
    while (hex < 16 && std::isxdigit(static_cast<unsigned char>(text[hex])) != 0) {
        ++hex;
    }
    std::string uuid;
    const auto asHex = [&uuid, &text](std::size_t from, std::size_t to) {
        static const char digits[] = "0123456789abcdef";
        for (std::size_t i = from; i < to; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            uuid += digits[c >> 4];
            uuid += digits[c & 15];
        }
    };
    const auto lower = [&uuid, &text](std::size_t to) {
        for (std::size_t i = 0; i < to; ++i) {
            uuid += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        }
    };
    if (hex < 8) {
        asHex(0, 8);
    } else if (hex < 16) {
        lower(8);
        asHex(8, 12);
    } else {
        lower(16);
    }
    return uuid;
}

struct UdfCloser {
    void operator()(udf_t* udf) const { udf_close(udf); }
};
struct DirentCloser {
    void operator()(udf_dirent_t* dirent) const { udf_dirent_free(dirent); }
};
using UdfHandle = std::unique_ptr<udf_t, UdfCloser>;
using Dirent = std::unique_ptr<udf_dirent_t, DirentCloser>;

constexpr int DeepestFolder = 256;

// Walks the folder whose entries dir iterates, into tree below prefix.
void walkUdf(udf_dirent_t* dir, const std::string& prefix, int depth, std::set<std::uint64_t>& seen,
             UdfVolume& out) {
    while (udf_readdir(dir) != nullptr) {
        if (dir->b_parent) {
            continue;
        }
        const char* name = udf_get_filename(dir);
        if (name == nullptr || *name == '\0') {
            ++out.unreadable;
            continue;
        }
        const std::string path = prefix + name;
        const FileFacts facts{udf_get_file_length(dir),
                              static_cast<std::int64_t>(udf_get_modification_time(dir))};
        if (udf_is_dir(dir)) {
            out.tree.add(path, true, facts);
            // A folder met again (a loop in a damaged image) or too deep is not entered.
            const std::uint64_t place =
                dir->fid != nullptr
                    ? (std::uint64_t{dir->fid->icb.loc.partitionReferenceNum} << 32 |
                       dir->fid->icb.loc.lba)
                    : 0;
            Dirent child(depth < DeepestFolder && seen.insert(place).second ? udf_opendir(dir)
                                                                            : nullptr);
            if (!child) {
                ++out.unreadable;
                continue;
            }
            walkUdf(child.get(), path + "/", depth + 1, seen, out);
            (void)child.release(); // udf_readdir frees the dirent at its end
        } else if (S_ISREG(udf_get_posix_filemode(dir))) {
            out.tree.add(path, false, facts, 0, ImageTree::Access::ThroughLibrary);
        }
    }
}

class UdfFile : public ReadableFile {
public:
    UdfFile(UdfHandle udf, Dirent root, Dirent file, std::string path, std::uint64_t size)
        : udf_(std::move(udf)), root_(std::move(root)), file_(std::move(file)),
          path_(std::move(path)), size_(size) {}
    std::uint64_t size() const override { return size_; }

    std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
        if (offset < position_) {
            // libudf reads a file onwards only: going back means finding it again, which
            // starts it over.
            file_.reset(udf_fopen(root_.get(), path_.c_str()));
            if (!file_) {
                throw FileError(MessageLines{{MessageId::UdfFileNotReopened, {}}});
            }
            position_ = 0;
            held_ = 0;
        }
        std::size_t done = 0;
        while (done < count && offset + done < size_) {
            if (offset + done >= position_ + held_) {
                // Whole blocks at a time, from where the last read ended.
                position_ += held_;
                const ssize_t n = udf_read_block(file_.get(), block_.data(), 1);
                if (n <= 0) {
                    throw FileError(MessageLines{{MessageId::UdfFileUnreadable, {}}});
                }
                held_ = static_cast<std::size_t>(n);
                continue;
            }
            const std::size_t within = static_cast<std::size_t>(offset + done - position_);
            const std::size_t take = std::min(held_ - within, count - done);
            std::memcpy(bytes + done, block_.data() + within, take);
            done += take;
        }
        return done;
    }

private:
    UdfHandle udf_;
    Dirent root_;
    Dirent file_;
    std::string path_;
    std::uint64_t size_;
    std::uint64_t position_ = 0; // of the block held
    std::size_t held_ = 0;
    std::array<char, UDF_BLOCKSIZE> block_{};
};

} // namespace

std::unique_ptr<ReadableFile> OpenCdTracks(const std::string& path, MessageId& reason) {
    silenceLibcdio();
    CdIo_t* cdio = cdio_open(path.c_str(), DRIVER_UNKNOWN);
    if (cdio == nullptr) {
        reason = MessageId::CdNotRecognised;
        return nullptr;
    }
    const lsn_t sectors = cdio_get_disc_last_lsn(cdio);
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t tracks = cdio_get_num_tracks(cdio);
    if (sectors <= VolumeDescriptors || first == CDIO_INVALID_TRACK ||
        tracks == CDIO_INVALID_TRACK) {
        cdio_destroy(cdio);
        reason = MessageId::CdNoTracks;
        return nullptr;
    }
    // The last data track holding volume descriptors starts the session a drive mounts.
    std::array<unsigned char, Sector> sector{};
    lsn_t session = -1;
    for (int track = first + tracks - 1; track >= first && session < 0; --track) {
        const lsn_t start = cdio_get_track_lsn(cdio, static_cast<track_t>(track));
        if (isDataTrack(cdio, static_cast<track_t>(track)) && start != CDIO_INVALID_LSN &&
            readSector(cdio, start + VolumeDescriptors, sector.data()) &&
            isVolumeDescriptor(sector.data())) {
            session = start;
        }
    }
    if (session < 0) {
        cdio_destroy(cdio);
        reason = MessageId::CdNoDataVolume;
        return nullptr;
    }
    lsn_t descriptors = 0;
    if (session > 0) {
        while (descriptors < VolumeDescriptors &&
               readSector(cdio, session + VolumeDescriptors + descriptors, sector.data()) &&
               isVolumeDescriptor(sector.data())) {
            ++descriptors;
            if (sector[0] == 255) {
                break; // the set's terminator
            }
        }
    }
    return std::make_unique<CdTracks>(cdio, sectors, session, descriptors);
}

std::optional<UdfVolume> ReadUdfVolume(const std::string& path) {
    silenceLibcdio();
    UdfHandle udf(udf_open(path.c_str()));
    if (!udf) {
        return std::nullopt;
    }
    Dirent root(udf_get_root(udf.get(), true, 0));
    if (!root) {
        return std::nullopt;
    }
    UdfVolume out;
    std::array<char, 256> label{};
    udf_get_logical_volume_id(udf.get(), label.data(), label.size() - 1);
    out.volume.label = label.data();
    while (!out.volume.label.empty() &&
           std::isspace(static_cast<unsigned char>(out.volume.label.back())) != 0) {
        out.volume.label.pop_back();
    }
    std::array<std::uint8_t, 128> volumeSet{};
    if (udf_get_volumeset_id(udf.get(), volumeSet.data(), volumeSet.size()) == 128) {
        out.volume.uuid = udfUuid(volumeSet.data());
    }
    out.volume.type = "udf";
    std::set<std::uint64_t> seen;
    walkUdf(root.get(), "", 0, seen, out);
    (void)root.release(); // freed by udf_readdir at the root's end
    out.tree.finish();
    return out;
}

std::unique_ptr<ReadableFile> OpenUdfFile(const std::string& imagePath,
                                          const std::string& pathInImage, std::uint64_t size) {
    silenceLibcdio();
    UdfHandle udf(udf_open(imagePath.c_str()));
    if (!udf) {
        return nullptr;
    }
    Dirent root(udf_get_root(udf.get(), true, 0));
    if (!root) {
        return nullptr;
    }
    Dirent file(udf_fopen(root.get(), pathInImage.c_str()));
    if (!file || udf_is_dir(file.get())) {
        return nullptr;
    }
    return std::make_unique<UdfFile>(std::move(udf), std::move(root), std::move(file), pathInImage,
                                     size);
}

} // namespace orbisk
