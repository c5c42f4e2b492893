#pragma once

#include "copy/copy_files.h"
#include "search/hit_table.h"
#include "widgets/window_parts.h"

#include <QDialog>
#include <QPointer>
#include <memory>
#include <vector>

class QLabel;
class QListView;
class QPushButton;

namespace orbisk {

class CommandWorker;
class DriveList;
class FolderList;
class HitLineDelegate;
class HitListModel;
class ProgressRow;
class ReportWindow;
struct Session;

// The copy window: the hits of a search, the target drive and folder, and the copy's
// progress. It owns the hits; COPY hands the marked ones to the copy and opens the report
// window with its log.
class CopyWindow : public QDialog, private CopySink {
    Q_OBJECT
public:
    CopyWindow(Session& session, HitTable hits);
    ~CopyWindow() override;

    // Shows the window over the others, which take no input while it is open.
    void showModal();

    // The hits, line by line.
    const HitTable& hits() const;
    // The lines the user marked, in list order.
    std::vector<std::size_t> markedLines() const;
    bool isMarked(std::size_t line) const;
    std::string targetFolder() const;
    // The report window while it exists, else null.
    ReportWindow* reportWindow() const;
    // Whether a copy runs.
    bool copying() const;

protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void copy();
    void copied(const CopyRun& run);
    void selectAll();
    void changeDrive();

    // CopySink
    void setBusy(bool busy) override;
    void setProgressMax(int max) override;
    void setProgressValue(int value) override;
    void setPercentLabel(const std::string& text) override;

    Session& session_;
    HitListModel* hits_ = nullptr;
    QListView* hitList_ = nullptr;
    DriveList* targetDriveList_ = nullptr;
    FolderList* targetFolderList_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::unique_ptr<ProgressRow> progress_;
    QPushButton* selectAllButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    HitLineDelegate* lineWidths_ = nullptr;
    QPointer<ReportWindow> reportWindow_;
    ResizeRules resizing_;
    CommandWorker* worker_ = nullptr; // runs COPY
    bool closeAfterRun_ = false;      // the user closed the window during a copy
};

} // namespace orbisk
