#include "widgets/folder_files_model.h"

#include "widgets/shown_text.h"

namespace orbisk {

namespace {

enum Column { NameColumn, SizeColumn, DateColumn, Columns };

} // namespace

FolderFilesModel::FolderFilesModel(const NumberFormat& numbers, QObject* parent)
    : QAbstractTableModel(parent), numbers_(numbers) {}

void FolderFilesModel::show(std::vector<DiscFile> files) {
    beginResetModel();
    files_ = std::move(files);
    endResetModel();
}

const DiscFile* FolderFilesModel::file(int row) const {
    return row >= 0 && row < rowCount() ? &files_[static_cast<std::size_t>(row)] : nullptr;
}

int FolderFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(files_.size());
}

int FolderFilesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant FolderFilesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const DiscFile& file = files_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return Shown(file.name);
        case SizeColumn:
            return QString::fromStdString(numbers_.grouped(file.kilobytes));
        default:
            return Shown(file.date);
        }
    case SortRole:
        return index.column() == SizeColumn ? QVariant(static_cast<qlonglong>(file.kilobytes))
                                            : data(index, Qt::DisplayRole);
    case Qt::ToolTipRole:
        return Shown(file.path);
    case Qt::TextAlignmentRole:
        return index.column() == SizeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                            : QVariant();
    default:
        return {};
    }
}

QVariant FolderFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case NameColumn:
        return QStringLiteral("ファイル名");
    case SizeColumn:
        return QStringLiteral("サイズ(KB)");
    default:
        return QStringLiteral("登録日");
    }
}

} // namespace orbisk
