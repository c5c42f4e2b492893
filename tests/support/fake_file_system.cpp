#include "support/fake_file_system.h"

#include "text/wildcard_pattern.h"

#include <algorithm>
#include <filesystem>

namespace orbisk::testing {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

void FakeFileSystem::addDrive(const std::string& drive, bool ready, DriveKind kind) {
    ready_[lower(drive)] = ready;
    drives_.push_back({drive, drive, kind});
    ++driveChanges_;
    Node& root = nodes_[drive + "\\"];
    root.attributes = Folder;
    root.inode = ++lastInode_;
}

void FakeFileSystem::link(const std::string& path, const Node& node) {
    const bool folder = node.attributes & Folder;
    const std::string key = folder ? path + "\\" : path;
    if (nodes_.count(key) != 0) {
        return;
    }
    const auto cut = path.rfind('\\');
    const std::string parent = path.substr(0, cut);
    if (nodes_.count(parent + "\\") == 0) {
        if (parent.size() == 2) {
            addDrive(parent);
        } else {
            addFolder(parent);
        }
    }
    nodes_[parent + "\\"].children.push_back(path.substr(cut + 1));
    nodes_[key] = node;
    nodes_[key].inode = ++lastInode_;
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t size, unsigned attributes) {
    Node file;
    file.size = size;
    file.attributes = attributes;
    link(path, file);
}

void FakeFileSystem::addFolder(const std::string& path) {
    Node folder;
    folder.attributes = Folder;
    link(path, folder);
}

std::string FakeFileSystem::walkPattern(const std::string& driveText) const {
    return driveText.substr(0, 3) + "\\*.*";
}

// Drives are told apart without regard to letter case, as addDrive keeps them.
void FakeFileSystem::setReady(const std::string& drive, bool ready) {
    ready_[lower(drive)] = ready;
}

bool FakeFileSystem::isDriveReady(const std::string& drive) const {
    if (transcript_ != nullptr) {
        transcript_->add("ready? " + drive);
    }
    const auto found = ready_.find(lower(drive));
    return found != ready_.end() && found->second;
}

void FakeFileSystem::removeDrive(const std::string& drive) {
    ready_.erase(lower(drive));
    std::erase_if(drives_, [&](const DriveEntry& entry) { return entry.drive == drive; });
    ++driveChanges_;
}

std::vector<DriveEntry> FakeFileSystem::drives() const {
    return drives_;
}

std::optional<FolderListing> FakeFileSystem::listFolder(const std::string& folder,
                                                        const std::string& namePattern) const {
    const auto found = nodes_.find(folder);
    if (found == nodes_.end() || unreadable_.count(folder) != 0) {
        return std::nullopt;
    }
    const WildcardPattern pattern(namePattern, WildcardPattern::Syntax::Listing);
    FolderListing listing;
    listing.identity = {1, found->second.inode};
    for (const std::string& name : found->second.children) {
        const auto subfolder = nodes_.find(folder + name + "\\");
        if (subfolder != nodes_.end()) {
            listing.subfolders.push_back({name, {1, subfolder->second.inode}});
            continue;
        }
        const auto file = nodes_.find(folder + name);
        if (file != nodes_.end() && !(file->second.attributes & Volume) && pattern.matches(name)) {
            listing.files.push_back(name);
        }
    }
    return listing;
}

bool FakeFileSystem::isPresentFile(const std::string& path) const {
    const auto found = nodes_.find(path);
    return found != nodes_.end() && !(found->second.attributes & (Folder | Volume));
}

FileFacts FakeFileSystem::fileFacts(const std::string& path) const {
    const auto found = nodes_.find(path);
    if (found == nodes_.end()) {
        throw FileError("ファイルが見つかりません。");
    }
    return {found->second.size, found->second.modified};
}

std::unique_ptr<OpenFolder> FakeFileSystem::openFolder(const std::string& folder) const {
    // Asks by whole path, as a system without held folders would.
    class ByPath : public OpenFolder {
    public:
        ByPath(const FakeFileSystem& files, std::string folder)
            : files_(files), folder_(std::move(folder)) {}
        FileFacts fileFacts(const std::string& name) const override {
            return files_.fileFacts(folder_ + files_.separator() + name);
        }

    private:
        const FakeFileSystem& files_;
        std::string folder_;
    };
    return std::make_unique<ByPath>(*this, folder);
}

void FakeFileSystem::setFacts(const std::string& path, const FileFacts& facts) {
    Node& node = nodes_.at(path);
    node.size = facts.bytes;
    node.modified = facts.modified;
}

std::optional<VolumeIdentity> FakeFileSystem::volumeOf(const std::string& drive) const {
    const auto found = volumes_.find(drive);
    return found == volumes_.end() ? std::nullopt : std::optional<VolumeIdentity>(found->second);
}

std::string FakeFileSystem::fileIdentity(const std::string& path) const {
    std::error_code error;
    return std::filesystem::exists(path, error) ? "fake:" + path : "";
}

void FakeFileSystem::prepareTarget(const std::string& folder) {
    prepared_.push_back(folder);
}

void FakeFileSystem::copyFile(const std::string& source, const std::string& target,
                              std::stop_token stop) {
    if (transcript_ != nullptr) {
        transcript_->add("copy " + source + " -> " + target);
    }
    if (!copyFailure_.empty()) {
        throw FileError(copyFailure_);
    }
    if (stop.stop_requested()) {
        throw CopyStopped(); // as a large file's copy sees a stop asked while it runs
    }
    copies_[target] = source;
}

void FakeFileSystem::writeTextFile(const std::string& path, const std::string& text) {
    if (transcript_ != nullptr) {
        transcript_->add("write " + path + " " + text);
    }
}

std::unique_ptr<FileWriter> FakeFileSystem::createFile(const std::string& path) {
    // Holds what is written and hands it over only when committed.
    class Writer : public FileWriter {
    public:
        Writer(std::map<std::string, std::string>& files, std::string path)
            : files_(files), path_(std::move(path)) {}
        void write(std::string_view bytes) override { bytes_.append(bytes); }
        void commit() override { files_[path_] = bytes_; }

    private:
        std::map<std::string, std::string>& files_;
        std::string path_;
        std::string bytes_;
    };
    return std::make_unique<Writer>(written_, path);
}

void FakeFileSystem::setContent(const std::string& path, const std::string& content) {
    contents_[path] = content;
    nodes_.at(path).size = content.size();
}

std::unique_ptr<ReadableFile> FakeFileSystem::openForReading(const std::string& path) const {
    class Content : public ReadableFile {
    public:
        explicit Content(std::string bytes) : bytes_(std::move(bytes)) {}
        std::uint64_t size() const override { return bytes_.size(); }
        std::size_t read(std::uint64_t offset, char* bytes, std::size_t count) override {
            const std::size_t at = std::min<std::size_t>(offset, bytes_.size());
            const std::size_t n = std::min(count, bytes_.size() - at);
            std::copy_n(bytes_.data() + at, n, bytes);
            return n;
        }

    private:
        std::string bytes_;
    };
    if (!isPresentFile(path)) {
        return nullptr;
    }
    const auto content = contents_.find(path);
    return std::make_unique<Content>(
        content != contents_.end() ? content->second : std::string(nodes_.at(path).size, '\0'));
}

std::unique_ptr<FileWriter> FakeFileSystem::newCopy(const std::string& target) {
    class Copy : public FileWriter {
    public:
        Copy(FakeFileSystem& files, std::string target)
            : files_(files), target_(std::move(target)) {}
        void write(std::string_view bytes) override { bytes_ += bytes; }
        void commit() override {
            files_.written_[target_] = bytes_;
            if (files_.transcript_ != nullptr) {
                files_.transcript_->add("extract -> " + target_);
            }
        }

    private:
        FakeFileSystem& files_;
        std::string target_;
        std::string bytes_;
    };
    return std::make_unique<Copy>(*this, target);
}

} // namespace orbisk::testing
