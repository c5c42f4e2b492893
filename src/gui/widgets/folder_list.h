#pragma once

#include "platform/file_system.h"

#include <QListWidget>
#include <string>

namespace orbisk {

// A folder list box: the open folder with the folders above it, then its subfolders.
// Its path is the folder the user opened (double-click or Enter), shown in bold with an
// open-folder icon; a folder that is only highlighted does not count. Folders are listed
// through the file-system service, so names that are not UTF-8 are there too; every row
// has its full path as tool tip, and so has the list for the open folder.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    FolderList(const FileSystem& files, QWidget* parent);

    const std::string& path() const { return path_; }
    // Opens folder; false (and nothing changes) when it cannot be listed.
    bool setPath(const std::string& folder);

private:
    void onActivated(QListWidgetItem* item);

    const FileSystem& files_;
    std::string path_;
};

} // namespace orbisk
