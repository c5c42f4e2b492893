#pragma once

#include "edit/disc_tree.h"

#include <QTreeWidget>
#include <vector>

namespace orbisk {

// The folders of one registered disc, each below its parent in its parent's name order;
// the root (the disc itself) open and chosen. It keeps the disc's files, to give those of
// the chosen folder.
class DiscFolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit DiscFolderTree(QWidget* parent);

    // tree: BuildDiscTree of files, which takes a while on a large disc.
    void showDisc(std::vector<DiscFile> files, DiscTree tree);
    void showNothing();
    // The files of the chosen folder, in catalogue order; none when no folder is chosen.
    std::vector<DiscFile> chosenFiles() const;

private:
    std::vector<DiscFile> files_;
    DiscTree tree_;
};

} // namespace orbisk
