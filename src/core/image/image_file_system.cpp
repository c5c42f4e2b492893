#include "image/image_file_system.h"

#include "text/wildcard_pattern.h"

#include <array>

namespace orbisk {

namespace {

constexpr std::size_t KeptImages = 4;

// A number for the image's folders' identities, from the image file's own identity.
std::uint64_t deviceOf(const std::string& identity) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : identity) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    return hash | (1ULL << 63);
}

bool within(const std::string& path, const std::string& image, char separator) {
    return path.compare(0, image.size(), image) == 0 &&
           (path.size() == image.size() || path[image.size()] == separator);
}

// A folder as the image cache names it: "x.iso/docs/" is "x.iso/docs".
std::string withoutEndSeparator(const std::string& folder, char separator) {
    return !folder.empty() && folder.back() == separator ? folder.substr(0, folder.size() - 1)
                                                         : folder;
}

std::string insideOf(const std::string& path, const std::string& image) {
    return path.size() > image.size() ? path.substr(image.size() + 1) : std::string();
}

class ImageFolder : public OpenFolder {
public:
    ImageFolder(std::shared_ptr<const DiscImage> image, ImageTree::Index folder)
        : image_(std::move(image)), folder_(folder) {}
    FileFacts fileFacts(const std::string& name) const override {
        const auto file = image_->tree().child(folder_, name);
        if (!file || image_->tree().node(*file).folder) {
            throw FileError(MessageLines{{MessageId::NotInImage, {name}}});
        }
        return image_->tree().node(*file).facts;
    }

private:
    std::shared_ptr<const DiscImage> image_;
    ImageTree::Index folder_;
};

// The node of a path in the image: a file (or a folder, where folder is true).
std::optional<ImageTree::Index> nodeOf(const ImageFileSystem::Place& place, bool folder) {
    if (!place.image) {
        return std::nullopt;
    }
    const auto node = place.image->tree().find(place.inside);
    if (!node || place.image->tree().node(*node).folder != folder) {
        return std::nullopt;
    }
    return node;
}

} // namespace

std::optional<ImageFileSystem::Opened> ImageFileSystem::open(const std::string& imagePath) const {
    Opened opened;
    opened.path = imagePath;
    opened.stamp = files_.fileStamp(imagePath);
    if (opened.stamp.empty()) {
        return std::nullopt; // gone, or empty
    }
    try {
        opened.image = DiscImage::Open(files_, imagePath);
    } catch (const ImageError& error) {
        opened.reason = error.reason();
    }
    opened.device = deviceOf(files_.fileIdentity(imagePath));
    const std::lock_guard lock(mutex_);
    std::erase_if(opened_, [&imagePath](const Opened& o) { return o.path == imagePath; });
    opened_.push_front(opened);
    if (opened_.size() > KeptImages) {
        opened_.pop_back();
    }
    return opened;
}

std::optional<ImageFileSystem::Opened> ImageFileSystem::cached(const std::string& path) const {
    std::optional<Opened> found;
    {
        const std::lock_guard lock(mutex_);
        for (auto o = opened_.begin(); o != opened_.end(); ++o) {
            if (within(path, o->path, files_.separator())) {
                opened_.splice(opened_.begin(), opened_, o);
                found = opened_.front();
                break;
            }
        }
    }
    if (!found || files_.fileStamp(found->path) == found->stamp) {
        return found;
    }
    // The image file was written or replaced since it was read: read it again.
    auto again = open(found->path);
    if (!again) {
        const std::lock_guard lock(mutex_);
        std::erase_if(opened_, [&found](const Opened& o) { return o.path == found->path; });
    }
    return again;
}

std::optional<ImageFileSystem::Opened> ImageFileSystem::find(const std::string& path) const {
    const char separator = files_.separator();
    for (std::size_t cut = path.find(separator, 1); cut != std::string::npos;
         cut = path.find(separator, cut + 1)) {
        const std::string prefix = path.substr(0, cut);
        if (files_.isPresentFile(prefix)) {
            return open(prefix);
        }
    }
    return files_.isPresentFile(path) ? open(path) : std::nullopt;
}

std::optional<std::pair<ImageFileSystem::Opened, std::string>>
ImageFileSystem::locate(const std::string& path) const {
    auto opened = cached(path);
    if (!opened) {
        opened = find(path);
    }
    if (!opened) {
        return std::nullopt;
    }
    std::string inside = insideOf(path, opened->path);
    return std::pair{std::move(*opened), std::move(inside)};
}

std::optional<ImageFileSystem::Place> ImageFileSystem::imageOf(const std::string& path,
                                                               MessageLines* reason) const {
    const auto located = locate(path);
    if (!located) {
        return std::nullopt;
    }
    if (!located->first.image) {
        if (reason != nullptr) {
            *reason = located->first.reason;
        }
        return std::nullopt;
    }
    return Place{located->first.image, located->second};
}

std::string ImageFileSystem::walkPattern(const std::string& driveText) const {
    return files_.walkPattern(driveText);
}

std::string ImageFileSystem::driveOfPath(const std::string& path) const {
    if (const auto o = cached(path)) {
        return o->path;
    }
    if (files_.isPresentFile(path)) {
        return files_.driveOfPath(path);
    }
    if (const auto o = find(path)) {
        return o->path;
    }
    // The image is gone: the part of the path named as an image, with more after it.
    const char separator = files_.separator();
    for (std::size_t cut = path.find(separator, 1); cut != std::string::npos;
         cut = path.find(separator, cut + 1)) {
        const auto start = path.rfind(separator, cut - 1);
        if (IsImageName(std::string_view(path).substr(start + 1, cut - start - 1))) {
            return path.substr(0, cut);
        }
    }
    return files_.driveOfPath(path);
}

bool ImageFileSystem::isDriveReady(const std::string& drive) const {
    if (const auto o = cached(drive)) {
        return o->image != nullptr && o->path == drive;
    }
    if (files_.isPresentFile(drive)) {
        const auto o = open(drive);
        return o && o->image != nullptr;
    }
    return files_.isDriveReady(drive);
}

FolderFailure ImageFileSystem::folderFailure(const std::string& folder) const {
    const std::string path = withoutEndSeparator(folder, files_.separator());
    const auto located = locate(path);
    if (!located) {
        return files_.folderFailure(folder);
    }
    if (!located->first.image) {
        return {located->first.reason, true};
    }
    if (!nodeOf({located->first.image, located->second}, true)) {
        return {{{MessageId::FolderNotInImage, {}}}, true};
    }
    return {};
}

std::optional<FolderListing> ImageFileSystem::listFolder(const std::string& folder,
                                                         const std::string& namePattern) const {
    const char separator = files_.separator();
    const std::string path = withoutEndSeparator(folder, separator);
    auto located = cached(path) ? locate(path) : std::nullopt;
    if (!located) {
        if (auto listing = files_.listFolder(folder, namePattern)) {
            return listing;
        }
        located = locate(path);
    }
    if (!located) {
        return std::nullopt;
    }
    const Place place{located->first.image, located->second};
    const auto node = nodeOf(place, true);
    if (!node) {
        return std::nullopt;
    }
    const ImageTree& tree = place.image->tree();
    const std::uint64_t device = located->first.device;
    const WildcardPattern pattern(namePattern, WildcardPattern::Syntax::Listing);
    FolderListing listing;
    listing.identity = {device, std::uint64_t{*node} + 1};
    for (const ImageTree::Index child : tree.children(*node)) {
        const ImageTree::Node& entry = tree.node(child);
        if (entry.folder) {
            listing.subfolders.push_back({entry.name, {device, std::uint64_t{child} + 1}});
        } else if (pattern.matches(entry.name)) {
            listing.files.push_back(entry.name);
        }
    }
    return listing;
}

bool ImageFileSystem::isPresentFile(const std::string& path) const {
    if (!cached(path) && files_.isPresentFile(path)) {
        return true;
    }
    const auto located = locate(path);
    if (located && located->second.empty()) {
        return files_.isPresentFile(path); // the image file itself, a file of the machine
    }
    return located && nodeOf({located->first.image, located->second}, false).has_value();
}

bool ImageFileSystem::isPathTooLong(const std::string& path) const {
    return !cached(path) && files_.isPathTooLong(path);
}

FileFacts ImageFileSystem::fileFacts(const std::string& path) const {
    auto located = cached(path) ? locate(path) : std::nullopt;
    if (!located) {
        try {
            return files_.fileFacts(path);
        } catch (const FileError&) {
            located = locate(path);
            if (!located) {
                throw;
            }
        }
    }
    const Place place{located->first.image, located->second};
    const auto node = located->second.empty() ? std::nullopt : nodeOf(place, false);
    if (!node) {
        throw FileError(MessageLines{{MessageId::NotInImage, {path}}});
    }
    return place.image->tree().node(*node).facts;
}

std::unique_ptr<OpenFolder> ImageFileSystem::openFolder(const std::string& folder) const {
    auto located = cached(folder) ? locate(folder) : std::nullopt;
    if (!located) {
        if (auto held = files_.openFolder(folder)) {
            return held;
        }
        located = locate(folder);
    }
    if (!located) {
        return nullptr;
    }
    const Place place{located->first.image, located->second};
    const auto node = nodeOf(place, true);
    return node ? std::make_unique<ImageFolder>(place.image, *node) : nullptr;
}

std::optional<VolumeIdentity> ImageFileSystem::volumeOf(const std::string& drive) const {
    auto o = cached(drive);
    if (!o && files_.isPresentFile(drive)) {
        o = open(drive);
    }
    if (o && o->path == drive) {
        return o->image ? std::optional<VolumeIdentity>(o->image->volume()) : std::nullopt;
    }
    return files_.volumeOf(drive);
}

std::string ImageFileSystem::fileIdentity(const std::string& path) const {
    if (const auto o = cached(path); o && o->path != path) {
        return files_.fileIdentity(o->path) + files_.separator() + insideOf(path, o->path);
    }
    return files_.fileIdentity(path);
}

std::string ImageFileSystem::fileStamp(const std::string& path) const {
    if (const auto o = cached(path); o && o->path != path) {
        return o->stamp + files_.separator() + insideOf(path, o->path);
    }
    return files_.fileStamp(path);
}

void ImageFileSystem::copyFile(const std::string& source, const std::string& target,
                               std::stop_token stop) {
    if (!cached(source) && files_.isPresentFile(source)) {
        files_.copyFile(source, target, std::move(stop));
        return;
    }
    const auto file = openForReading(source);
    if (!file) {
        throw FileError(MessageLines{{MessageId::ImageFileNotOpened, {}}});
    }
    auto copy = files_.newCopy(target);
    std::array<char, 65536> buffer{};
    std::uint64_t done = 0;
    while (done < file->size()) {
        if (stop.stop_requested()) {
            throw CopyStopped(); // the copy, never committed, leaves nothing
        }
        const std::size_t n = file->read(done, buffer.data(), buffer.size());
        if (n == 0) {
            throw FileError(MessageLines{{MessageId::ImageFileEndsEarly, {}}});
        }
        copy->write(std::string_view(buffer.data(), n));
        done += n;
    }
    copy->commit();
}

std::unique_ptr<ReadableFile> ImageFileSystem::openForReading(const std::string& path) const {
    auto located = cached(path) ? locate(path) : std::nullopt;
    if (!located) {
        if (auto file = files_.openForReading(path)) {
            return file;
        }
        located = locate(path);
    }
    if (!located || located->second.empty()) {
        return nullptr;
    }
    const Place place{located->first.image, located->second};
    const auto node = nodeOf(place, false);
    return node ? place.image->openFile(*node) : nullptr;
}

} // namespace orbisk
