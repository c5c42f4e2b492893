#pragma once

#include "edit/disc_store.h"
#include "platform/number_format.h"

#include <QAbstractTableModel>
#include <vector>

namespace orbisk {

// The files of one folder of a registered disc, as the catalogue window lists them: name,
// size in KB and date, each with the file's whole path as its tip. Sorted through
// SortRole: a size by its number, the texts as shown.
class FolderFilesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int SortRole = Qt::UserRole + 1;

    FolderFilesModel(const NumberFormat& numbers, QObject* parent);

    // Shows files in the order given; nothing when empty.
    void show(std::vector<DiscFile> files);
    // The file of a row; null for none.
    const DiscFile* file(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const NumberFormat& numbers_;
    std::vector<DiscFile> files_;
};

} // namespace orbisk
