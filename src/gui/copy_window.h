#pragma once

#include "copy/copy_window_view.h"
#include "report/report_view.h"
#include "search/hit_list_view.h"

#include <QDialog>
#include <QPointer>
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
class ReportWindow;
struct Session;

// The copy window: the hit list, the target drive and folder, and the copy's progress. It
// gives the copy its report window, created hidden on first use.
class CopyWindow : public QDialog,
                   public HitListView,
                   public CopyWindowView,
                   public ReportProvider {
    Q_OBJECT
public:
    explicit CopyWindow(Session& session);
    ~CopyWindow() override;

    // HitListView
    void clearList() override;
    void appendLines(const std::vector<std::string>& lines) override;
    void setCaption(const std::string& caption) override;
    void showModal() override;

    // CopyWindowView
    std::int32_t lineCount() const override;
    bool isMarked(std::int32_t line) const override;
    std::string targetFolder() const override;
    void setControlEnabled(CopyControl control, bool enabled) override;
    void setProgressMax(int max) override;
    void setProgressValue(int value) override;
    void setPercentLabel(const std::string& text) override;

    // ReportProvider
    ReportView& report() override;

    // The report window while it exists, else null.
    ReportWindow* reportWindow() const;

protected:
    void reject() override;

private:
    void copy();
    void selectAll();
    void changeDrive();
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    Session& session_;
    QListView* hitList_ = nullptr;
    DriveList* targetDriveList_ = nullptr;
    FolderList* targetFolderList_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QPushButton* selectAllButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QStringListModel* lines_ = nullptr;
    HitLineDelegate* lineWidths_ = nullptr;
    // The marks, kept up to date from the list's selection so that reading one is cheap.
    std::vector<bool> marks_;
    QPointer<ReportWindow> reportWindow_;
    bool copying_ = false;
};

} // namespace orbisk
