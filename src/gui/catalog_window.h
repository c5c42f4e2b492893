#pragma once

#include "edit/disc_store.h"
#include "edit/disc_tree.h"
#include "services/disc_list_reading.h"

#include <QDialog>
#include <QFutureWatcher>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace orbisk {

class CatalogCopies;
class CommandWorker;
class CopiesReading;
class DiscFolderTree;
class DiscListModel;
class FolderFilesModel;
struct Session;

// The catalogue window behind EDIT: every disc title with its figures, the chosen disc's
// folders and the files of the chosen folder (or only those no other disc holds), where
// else the chosen file lives, and RENAME, REMOVE, EXPORT and VERIFY. Reading the figures,
// a disc's files and the files' copies runs on a thread of its own, so a large catalogue
// never holds the window; on a catalogue the user cannot write, RENAME and REMOVE are off.
class CatalogWindow : public QDialog {
    Q_OBJECT
public:
    CatalogWindow(Session& session, QWidget* parent);
    ~CatalogWindow() override;

    // Shows the window over the others, which take no input while it is open.
    void showModal();

signals:
    // A disc was renamed or removed.
    void catalogueChanged();

protected:
    void reject() override;

private:
    struct DiscLoad {
        std::vector<DiscFile> files;
        DiscTree tree;
        bool onlyHere = false;    // files holds only the files no other disc holds
        std::size_t unknown = 0;  // files left out of those for want of a size and date
        std::string lookOfCopies; // the catalogue's look when the copies were read
    };

    void buildControls();
    void loadDiscs();
    void showFigures(const DiscListReading::Facts& facts);
    void openDisc();
    void readDisc(const std::shared_ptr<const CatalogCopies>& onlyHereBy);
    void showDisc();
    void showFolder();
    void showPlaces();
    void listPlaces(const CatalogCopies& copies, const DiscFile& file);
    void copiesRead();
    const DiscFile* chosenFile() const;
    std::string chosenTitle() const;
    void rename();
    void remove();
    void removed();
    void exportCsv(bool allDiscs);
    void verify();
    void exported();
    void setButtonsEnabled(bool enabled);

    Session& session_;
    DiscListModel* discs_ = nullptr;
    QTableView* discTable_ = nullptr;
    DiscFolderTree* folderTree_ = nullptr;
    QTableView* fileTable_ = nullptr;
    FolderFilesModel* files_ = nullptr;
    QSortFilterProxyModel* sortedFiles_ = nullptr;
    QLabel* placesCaption_ = nullptr;
    QListWidget* placesList_ = nullptr;
    QCheckBox* onlyHereCheck_ = nullptr;
    QLabel* onlyHereCount_ = nullptr;
    CopiesReading* copies_ = nullptr;
    bool placesAwaited_ = false;   // the chosen file's places wait for the copies
    bool onlyHereAwaited_ = false; // the disc's files wait for the copies to be filtered
    std::string onlyHereLook_;     // the look of the copies the shown filter was made by
    QPushButton* renameButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* exportAllButton_ = nullptr;
    QPushButton* verifyButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QString readOnlyReason_; // empty when the catalogue can be written
    DiscListReading* figures_ = nullptr;
    QFutureWatcher<DiscLoad> disc_;
    // REMOVE's work, which may wait for another program that holds the catalogue.
    QFutureWatcher<std::optional<Notice>> removal_;
    bool removing_ = false; // a removal is stored whole: the window waits for it
    // EXPORT's work; a close stops it (asking first) and closes when it has stopped.
    CommandWorker* exporter_ = nullptr;
    bool closeAfterExport_ = false;
};

} // namespace orbisk
