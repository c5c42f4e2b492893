#include "widgets/disc_folder_tree.h"

#include "widgets/shown_text.h"

namespace orbisk {

namespace {

constexpr int FolderRole = Qt::UserRole;

} // namespace

DiscFolderTree::DiscFolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabel("フォルダ");
}

void DiscFolderTree::showNothing() {
    showDisc({}, {});
}

void DiscFolderTree::showDisc(std::vector<DiscFile> files, DiscTree tree) {
    clear();
    files_ = std::move(files);
    tree_ = std::move(tree);
    if (tree_.folders.empty()) {
        return;
    }
    std::vector<QTreeWidgetItem*> items(tree_.folders.size(), nullptr);
    for (std::size_t at = 0; at < tree_.folders.size(); ++at) {
        const std::string& name = tree_.folders[at].name;
        items[at] = new QTreeWidgetItem({Shown(at == 0 && name.empty() ? "(ディスク)" : name)});
        items[at]->setData(0, FolderRole, static_cast<qulonglong>(at));
    }
    for (std::size_t at = 0; at < tree_.folders.size(); ++at) {
        for (const std::size_t child : tree_.folders[at].children) {
            items[at]->addChild(items[child]);
        }
    }
    addTopLevelItem(items[0]);
    items[0]->setExpanded(true);
    setCurrentItem(items[0]);
}

std::vector<DiscFile> DiscFolderTree::chosenFiles() const {
    const auto chosen = selectedItems();
    std::vector<DiscFile> files;
    if (chosen.isEmpty() || tree_.folders.empty()) {
        return files;
    }
    const auto at = static_cast<std::size_t>(chosen.front()->data(0, FolderRole).toULongLong());
    for (const std::size_t f : tree_.folders.at(at).files) {
        files.push_back(files_[f]);
    }
    return files;
}

} // namespace orbisk
