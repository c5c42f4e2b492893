#pragma once

#include "copy/copy_window_view.h"
#include "search/hit_list_view.h"

#include <QDialog>
#include <vector>

class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QStringListModel;
class QItemSelection;

namespace orbisk {

class DriveList;
class FolderList;
class HitLineDelegate;
class WindowHub;
struct Session;

// The copy window: the hit list, the target drive and folder, and the copy's progress.
class Form2 : public QDialog, public HitListView, public CopyWindowView {
    Q_OBJECT
public:
    Form2(Session& session, WindowHub& windows);

    // HitListView
    void clearList() override;
    void appendLines(const std::vector<std::string>& lines) override;
    void setCaption(const std::string& caption) override;
    void showModal() override;

    // CopyWindowView
    std::int32_t itemCount() const override;
    bool isMarked(std::int32_t line) const override;
    std::string targetFolder() const override;
    void setControlEnabled(CopyControl control, bool enabled) override;
    void setProgressMax(float max) override;
    void setProgressValue(float value) override;
    void setPercentLabel(const std::string& text) override;

    QListView* List1 = nullptr;
    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QProgressBar* PB1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;

protected:
    void reject() override;

private:
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Drive1_Change();
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    Session& session_;
    WindowHub& windows_;
    QStringListModel* lines_ = nullptr;
    HitLineDelegate* lineWidths_ = nullptr;
    // The marks, kept up to date from the list's selection so that reading one is cheap.
    std::vector<bool> marks_;
    bool copying_ = false;
};

} // namespace orbisk
