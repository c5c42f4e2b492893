#pragma once

#include <QListWidget>
#include <string>

namespace orbisk {

// A folder list box: the open folder with the folders above it, then its subfolders.
// Its path is the folder the user opened (double-click or Enter), shown in bold with an
// open-folder icon; a folder that is only highlighted does not count.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent);

    const std::string& path() const { return path_; }
    // Opens folder; false (and nothing changes) when it cannot be listed.
    bool setPath(const std::string& folder);

signals:
    void pathChanged();

private:
    void onActivated(QListWidgetItem* item);

    std::string path_;
};

} // namespace orbisk
