#include "edit/disc_tree.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace orbisk {

namespace {

char separatorOf(std::string_view path) {
    const bool windowsForm =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    return windowsForm ? '\\' : '/';
}

// The folders leading to a file: the path's parts but its last.
std::vector<std::string_view> foldersOf(std::string_view path) {
    const char separator = separatorOf(path);
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(separator, start);
        if (end == std::string_view::npos) {
            break; // the rest is the file's name
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        } else if (start == 0) {
            parts.emplace_back(); // a path from the root: "/a/b" begins with an empty part
        }
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string_view>& parts, std::size_t count, char separator) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += separator;
        }
        out += parts[i];
    }
    return out;
}

} // namespace

DiscTree BuildDiscTree(const std::vector<DiscFile>& files) {
    std::vector<std::vector<std::string_view>> folders;
    folders.reserve(files.size());
    for (const DiscFile& file : files) {
        folders.push_back(foldersOf(file.path));
    }
    // The root: the leading folders every file shares.
    std::size_t shared = folders.empty() ? 0 : folders.front().size();
    for (const auto& parts : folders) {
        std::size_t same = 0;
        while (same < shared && same < parts.size() && parts[same] == folders.front()[same]) {
            ++same;
        }
        shared = same;
    }
    DiscTree tree;
    const char separator = files.empty() ? '/' : separatorOf(files.front().path);
    tree.folders.push_back(
        {folders.empty() ? "" : joined(folders.front(), shared, separator), {}, {}});
    if (!folders.empty() && shared == 1 && folders.front()[0].empty()) {
        tree.folders[0].name = std::string(1, separator);
    }

    // Each folder by its path below the root; a map keeps finding them cheap for 100,000
    // files in a few thousand folders.
    std::unordered_map<std::string, std::size_t> byPath;
    std::string key;
    for (std::size_t f = 0; f < files.size(); ++f) {
        std::size_t at = 0;
        key.clear();
        for (std::size_t i = shared; i < folders[f].size(); ++i) {
            key += folders[f][i];
            key += '\0';
            const auto [found, added] = byPath.try_emplace(key, tree.folders.size());
            if (added) {
                tree.folders.push_back({std::string(folders[f][i]), {}, {}});
                tree.folders[at].children.push_back(found->second);
            }
            at = found->second;
        }
        tree.folders[at].files.push_back(f);
    }
    for (DiscFolder& folder : tree.folders) {
        std::sort(folder.children.begin(), folder.children.end(),
                  [&tree](std::size_t a, std::size_t b) {
                      return tree.folders[a].name < tree.folders[b].name;
                  });
    }
    return tree;
}

} // namespace orbisk
