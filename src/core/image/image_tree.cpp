#include "image/image_tree.h"

#include <algorithm>

namespace orbisk {

namespace {

constexpr ImageTree::Index None = ~ImageTree::Index{0};

std::string_view trimmed(std::string_view path) {
    while (!path.empty() && path.front() == '/') {
        path.remove_prefix(1);
    }
    while (!path.empty() && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

} // namespace

ImageTree::ImageTree() {
    Node root;
    root.folder = true;
    nodes_.push_back(root);
    folders_.emplace("", Root);
}

ImageTree::Index ImageTree::folderAt(std::string_view path) {
    if (const auto known = folders_.find(path); known != folders_.end()) {
        return known->second;
    }
    const auto cut = path.rfind('/');
    const Index parent = folderAt(cut == std::string_view::npos ? "" : path.substr(0, cut));
    if (parent == None) {
        return None;
    }
    Node folder;
    folder.name = std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
    folder.parent = parent;
    folder.folder = true;
    const auto index = static_cast<Index>(nodes_.size());
    nodes_.push_back(std::move(folder));
    folders_.emplace(std::string(path), index);
    return index;
}

bool ImageTree::add(std::string_view path, bool folder, const FileFacts& facts,
                    std::uint64_t offset, Access access) {
    path = trimmed(path);
    if (path.empty() || finished_) {
        return false;
    }
    if (folder) {
        const Index index = folderAt(path);
        if (index == None) {
            return false;
        }
        nodes_[index].facts = facts;
        return true;
    }
    if (folders_.find(path) != folders_.end()) {
        return false; // a folder of that name was recorded first
    }
    const auto cut = path.rfind('/');
    const std::string_view folderPath = cut == std::string_view::npos ? "" : path.substr(0, cut);
    // Files come folder by folder: the last folder is asked first.
    if (folderPath != lastFolder_) {
        const Index parent = folderAt(folderPath);
        if (parent == None) {
            return false;
        }
        lastFolder_ = folderPath;
        lastFolderIndex_ = parent;
    }
    const Index parent = lastFolderIndex_;
    Node file;
    file.name = std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
    file.parent = parent;
    file.facts = facts;
    file.offset = offset;
    file.access = access;
    nodes_.push_back(std::move(file));
    ++files_;
    return true;
}

void ImageTree::finish() {
    // Each folder's children sit together, ordered by name: the same order however the
    // library gave them, and found by halving.
    std::vector<Index> order(nodes_.size() - 1);
    for (Index i = 1; i < nodes_.size(); ++i) {
        order[i - 1] = i;
    }
    std::stable_sort(order.begin(), order.end(), [this](Index a, Index b) {
        const Node& x = nodes_[a];
        const Node& y = nodes_[b];
        return x.parent != y.parent ? x.parent < y.parent : x.name < y.name;
    });
    // A name given twice in one folder (a damaged image) is kept once: the first.
    children_.clear();
    children_.reserve(order.size());
    for (const Index i : order) {
        if (!children_.empty() && nodes_[children_.back()].parent == nodes_[i].parent &&
            nodes_[children_.back()].name == nodes_[i].name) {
            files_ -= nodes_[i].folder ? 0 : 1;
            continue;
        }
        children_.push_back(i);
    }
    for (Index at = 0; at < children_.size(); ++at) {
        Node& parent = nodes_[nodes_[children_[at]].parent];
        if (parent.childCount++ == 0) {
            parent.firstChild = at;
        }
    }
    folders_.clear();
    finished_ = true;
}

std::span<const ImageTree::Index> ImageTree::children(Index folder) const {
    const Node& node = nodes_[folder];
    return std::span<const Index>(children_).subspan(node.firstChild, node.childCount);
}

std::optional<ImageTree::Index> ImageTree::child(Index folder, std::string_view name) const {
    const Index at = nodes_[folder].folder ? childAt(folder, name) : None;
    return at == None ? std::nullopt : std::optional<Index>(at);
}

ImageTree::Index ImageTree::childAt(Index folder, std::string_view name) const {
    const auto list = children(folder);
    const auto at =
        std::lower_bound(list.begin(), list.end(), name,
                         [this](Index i, std::string_view n) { return nodes_[i].name < n; });
    return at != list.end() && nodes_[*at].name == name ? *at : None;
}

std::optional<ImageTree::Index> ImageTree::find(std::string_view path) const {
    path = trimmed(path);
    Index at = Root;
    while (!path.empty()) {
        if (!nodes_[at].folder) {
            return std::nullopt;
        }
        const auto cut = path.find('/');
        at = childAt(at, path.substr(0, cut));
        if (at == None) {
            return std::nullopt;
        }
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    }
    return at;
}

std::string ImageTree::pathOf(Index index) const {
    std::vector<Index> up;
    for (Index at = index; at != Root; at = nodes_[at].parent) {
        up.push_back(at);
    }
    std::string path;
    for (auto at = up.rbegin(); at != up.rend(); ++at) {
        path += (path.empty() ? "" : "/") + nodes_[*at].name;
    }
    return path;
}

} // namespace orbisk
