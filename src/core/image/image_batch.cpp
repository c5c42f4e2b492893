#include "image/image_batch.h"

#include "catalog/title_rules.h"
#include "image/disc_image.h"

#include <algorithm>

namespace orbisk {
namespace {

// A cue sheet is a few lines of text; one larger than this is no cue sheet worth reading.
constexpr std::size_t LongestCueSheet = 64 * 1024;

bool EndsWithCue(std::string_view name) {
    if (name.size() < 4) {
        return false;
    }
    std::string ending(name.substr(name.size() - 4));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".cue";
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The names a cue sheet's FILE lines give: `FILE "name.bin" BINARY` or `FILE name.bin BINARY`.
std::vector<std::string> TrackFilesOf(const FileSystem& files, const std::string& cuePath) {
    std::vector<std::string> names;
    const auto file = files.openForReading(cuePath);
    if (!file || file->size() > LongestCueSheet) {
        return names;
    }
    std::string text(static_cast<std::size_t>(file->size()), '\0');
    try {
        text.resize(file->read(0, text.data(), text.size()));
    } catch (const FileError&) {
        return names;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view line = Trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.size() < 5 || line.substr(0, 5) != "FILE ") {
            continue;
        }
        line = Trimmed(line.substr(5));
        if (!line.empty() && line.front() == '"') {
            const auto close = line.find('"', 1);
            if (close != std::string_view::npos) {
                names.emplace_back(line.substr(1, close - 1));
            }
        } else {
            names.emplace_back(line.substr(0, line.find_first_of(" \t")));
        }
    }
    return names;
}

void Collect(const FileSystem& files, const std::string& folder, std::set<FolderIdentity>& entered,
             std::vector<std::string>& images) {
    const auto listing = files.listFolder(folder + files.separator(), "");
    if (!listing || !entered.insert(listing->identity).second) {
        return;
    }
    std::set<std::string> tracks;
    for (const std::string& name : listing->files) {
        if (EndsWithCue(name)) {
            for (std::string& track : TrackFilesOf(files, folder + files.separator() + name)) {
                tracks.insert(std::move(track));
            }
        }
    }
    for (const std::string& name : listing->files) {
        if (IsImageName(name) && !tracks.contains(name)) {
            images.push_back(folder + files.separator() + name);
        }
    }
    for (const Subfolder& sub : listing->subfolders) {
        Collect(files, folder + files.separator() + sub.name, entered, images);
    }
}

} // namespace

std::vector<std::string> FindImages(const FileSystem& files, const std::string& folder) {
    std::vector<std::string> images;
    std::set<FolderIdentity> entered;
    Collect(files, folder, entered, images);
    std::sort(images.begin(), images.end());
    return images;
}

std::string ImageTitle(std::string_view volumeLabel, std::string_view imagePath, char separator,
                       const std::set<std::string>& taken) {
    std::string base(Trimmed(volumeLabel));
    if (base.empty() || TitleRefusal(base)) {
        std::string_view name = imagePath.substr(imagePath.rfind(separator) + 1);
        const auto dot = name.rfind('.');
        base = std::string(dot == 0 || dot == std::string_view::npos ? name : name.substr(0, dot));
        if (TitleRefusal(base)) {
            base = std::string(name);
        }
    }
    std::string title = base;
    for (int n = 2; taken.contains(title); ++n) {
        title = base + " (" + std::to_string(n) + ")";
    }
    return title;
}

} // namespace orbisk
