#pragma once

#include "platform/file_system.h"

#include <QComboBox>
#include <string>

namespace orbisk {

// A drive list box: the machine's drives and, last, an entry to pick any folder as a
// disc's root. Its current drive is the text a command works with.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    DriveList(const FileSystem& files, QWidget* parent);

    std::string driveText() const;
    // Makes drive the current one, adding it when the list does not hold it yet.
    void setDrive(const std::string& drive);

signals:
    void driveChanged();

private:
    void onActivated(int index);
    int pickEntry() const { return count() - 1; }

    int lastIndex_ = 0;
};

} // namespace orbisk
