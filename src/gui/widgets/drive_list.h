#pragma once

#include "platform/file_system.h"

#include <QComboBox>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// A drive list box: the machine's drives and, last, an entry to pick any folder as a
// drive (and, where offered, one to pick a disc image file, which is a drive of its own). Its
// current drive is the text a command works with. The list is read again each time it is opened and
// whenever the drives change, so a disc put in after the start is offered and one taken out goes;
// the current drive stays chosen while it is there. The closed box shows the end of a long entry,
// where its label is; the pop-up is as wide as the longest entry, and every entry has its whole
// text as tool tip.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    DriveList(const FileSystem& files, const QString& pickerTitle, QWidget* parent);

    std::string driveText() const;
    // Makes drive the current one, adding it as a picked folder when it is not a drive.
    void setDrive(const std::string& drive);
    // The first disc: the first optical drive, else the first removable volume.
    std::optional<std::string> firstDisc() const;
    // What becomes current when the current drive leaves the list.
    void setFallback(std::function<std::string()> fallback) { fallback_ = std::move(fallback); }
    // What is said of a drive's disc in its tool tip, beyond the drive's own text: the
    // registered title of the disc in it, say. Read again with the drives.
    void setDescriber(std::function<std::string(const std::string& drive)> describer);
    // Reads the drives again, keeping the current one where it is still there.
    void refresh();
    // Adds, before the folder entry, an entry to pick a disc image file with a dialog of
    // this title; an image picked is kept as a picked folder is.
    void offerImages(const QString& pickerTitle);

    void showPopup() override;

signals:
    void driveChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onActivated(int index);
    void fill(const std::vector<DriveEntry>& drives);
    void addEntry(const std::string& drive, const std::string& display);
    QString tipFor(const std::string& drive, const std::string& display) const;
    void remember();
    bool pickImage();
    // The image entry where images are offered, then the folder entry, end the list; what
    // the user picks goes before them.
    int pickEntry() const { return count() - 1; }
    int imageEntry() const { return imagePickerTitle_.isEmpty() ? -1 : count() - 2; }
    int pickedPlace() const { return imagePickerTitle_.isEmpty() ? count() - 1 : count() - 2; }

    const FileSystem& files_;
    QString pickerTitle_;
    QString imagePickerTitle_;
    std::vector<DriveEntry> drives_;
    std::vector<std::string> picked_; // folders the user picked, kept across readings
    std::uint64_t changeCount_ = 0;
    std::function<std::string()> fallback_;
    std::function<std::string(const std::string&)> describer_;
    QSocketNotifier* watch_ = nullptr;
    QTimer poll_;
    int lastIndex_ = 0;
};

} // namespace orbisk
