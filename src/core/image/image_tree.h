#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orbisk {

// The folders and files of a disc image as its file system records them: names as bytes,
// each file's size, date and where its bytes lie in the image's data.
class ImageTree {
public:
    using Index = std::uint32_t;
    static constexpr Index Root = 0;

    // How a file's bytes are read: straight from its place in the image's data, or only
    // through the library that listed it (compressed or split files).
    enum class Access : std::uint8_t { Direct, ThroughLibrary };

    struct Node {
        std::string name;
        Index parent = Root;
        bool folder = false;
        Access access = Access::Direct;
        FileFacts facts;
        std::uint64_t offset = 0; // Direct: the first byte's place in the image's data
        Index firstChild = 0;     // into the children, once finished
        Index childCount = 0;
    };

    ImageTree();

    // Adds the file or folder at path (parts separated by '/', no leading '/'), with the
    // folders above it where they are missing. A folder met again takes the newer facts;
    // a file whose path is taken already, or lies below a file, is not added (false).
    bool add(std::string_view path, bool folder, const FileFacts& facts, std::uint64_t offset = 0,
             Access access = Access::Direct);
    // Orders each folder's entries by name, for finding them; nothing is added after.
    void finish();

    // The node at relative path ("" or "/" for the root; a closing '/' is allowed).
    std::optional<Index> find(std::string_view path) const;
    // The entry of folder called name.
    std::optional<Index> child(Index folder, std::string_view name) const;
    const Node& node(Index index) const { return nodes_[index]; }
    std::span<const Index> children(Index folder) const;
    // The node's path below the root, parts joined by '/'.
    std::string pathOf(Index index) const;
    std::size_t files() const { return files_; }
    std::size_t size() const { return nodes_.size(); }

private:
    Index childAt(Index folder, std::string_view name) const;
    Index folderAt(std::string_view path);

    std::vector<Node> nodes_;
    std::vector<Index> children_;
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view path) const {
            return std::hash<std::string_view>{}(path);
        }
    };
    // While building: each folder's path to its node.
    std::unordered_map<std::string, Index, PathHash, std::equal_to<>> folders_;
    std::string lastFolder_; // the folder the last file went into
    Index lastFolderIndex_ = Root;
    std::size_t files_ = 0;
    bool finished_ = false;
};

} // namespace orbisk
