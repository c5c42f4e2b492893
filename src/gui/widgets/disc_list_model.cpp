#include "widgets/disc_list_model.h"

#include "widgets/shown_text.h"

#include <QFont>
#include <QStringList>
#include <algorithm>

namespace orbisk {

DiscListModel::DiscListModel(const NumberFormat& numbers, QObject* parent)
    : QAbstractTableModel(parent), numbers_(numbers) {}

void DiscListModel::showTitles(const std::vector<std::string>& titles) {
    beginResetModel();
    discs_.clear();
    for (const std::string& title : titles) {
        discs_.push_back({title, std::nullopt, {}, {}, {}});
    }
    endResetModel();
}

void DiscListModel::showFigures(const std::vector<DiscFigures>& discs) {
    for (const DiscFigures& figures : discs) {
        const auto at = std::find_if(discs_.begin(), discs_.end(), [&figures](const Disc& d) {
            return d.title == figures.title;
        });
        if (at != discs_.end()) {
            at->figures = figures;
            const int row = static_cast<int>(at - discs_.begin());
            emit dataChanged(index(row, 0), index(row, Columns - 1));
            continue;
        }
        const int row = rowCount();
        beginInsertRows({}, row, row);
        discs_.push_back({figures.title, figures, {}, {}, {}});
        endInsertRows();
    }
}

void DiscListModel::markInDrive(const std::string& title, const std::string& drive,
                                const std::string& display) {
    for (std::size_t at = 0; at < discs_.size(); ++at) {
        if (discs_[at].title == title) {
            discs_[at].drive = drive;
            discs_[at].driveDisplay = display;
            const int row = static_cast<int>(at);
            emit dataChanged(index(row, 0), index(row, Columns - 1));
        }
    }
}

void DiscListModel::showVerifications(const std::map<std::string, std::string>& verified) {
    for (Disc& disc : discs_) {
        const auto found = verified.find(disc.title);
        disc.verified = found == verified.end() ? std::string() : found->second;
    }
    if (!discs_.empty()) {
        emit dataChanged(index(0, VerifiedColumn), index(rowCount() - 1, VerifiedColumn));
    }
}

std::string DiscListModel::placeOf(const std::string& title) const {
    for (const Disc& disc : discs_) {
        if (disc.title == title) {
            return !disc.drive.empty() ? disc.drive
                   : disc.figures      ? disc.figures->drive
                                       : std::string();
        }
    }
    return {};
}

int DiscListModel::rowOf(const std::string& title) const {
    const auto at = std::find_if(discs_.begin(), discs_.end(),
                                 [&title](const Disc& disc) { return disc.title == title; });
    return at == discs_.end() ? -1 : static_cast<int>(at - discs_.begin());
}

const std::string& DiscListModel::title(int row) const {
    return discs_.at(static_cast<std::size_t>(row)).title;
}

int DiscListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(discs_.size());
}

int DiscListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QString DiscListModel::grouped(std::int64_t value) const {
    return QString::fromStdString(numbers_.grouped(value));
}

QString DiscListModel::text(const Disc& disc, int column) const {
    if (column == TitleColumn) {
        return Shown(disc.title);
    }
    if (column == DriveColumn) {
        return disc.drive.empty() ? QString() : "● " + Shown(disc.drive);
    }
    if (column == VerifiedColumn) {
        return Shown(disc.verified);
    }
    if (!disc.figures) {
        return "…";
    }
    const DiscFigures& figures = *disc.figures;
    switch (column) {
    case LabelColumn:
        return Shown(figures.label);
    case RegistrationsColumn:
        return grouped(figures.registrations);
    case FilesColumn:
        return grouped(figures.files);
    case SizeColumn:
        return grouped(figures.kilobytes);
    case ImageColumn:
        return figures.image.value_or(false) ? Shown(figures.drive) : QString();
    default: {
        QStringList dates;
        for (const std::string& date : figures.dates) {
            dates << Shown(date);
        }
        return dates.join(", ");
    }
    }
}

QVariant DiscListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Disc& disc = discs_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(disc, column);
    case Qt::ToolTipRole:
        if (column == TitleColumn) {
            return Shown(disc.title);
        }
        if (column == DriveColumn && !disc.drive.empty()) {
            return "このディスクはドライブに入っています: " + Shown(disc.driveDisplay);
        }
        if (column == ImageColumn && disc.figures && disc.figures->image.value_or(false)) {
            return "ディスクイメージから登録: " + Shown(disc.figures->drive);
        }
        return {};
    case Qt::FontRole:
        if (column == TitleColumn && !disc.drive.empty()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (column >= RegistrationsColumn && column <= SizeColumn && disc.figures) {
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    default:
        return {};
    }
}

QVariant DiscListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const headers[Columns] = {"タイトル",   "ラベル",           "登録数",
                                                 "ファイル数", "サイズ(KB)",       "登録日",
                                                 "ドライブ",   "イメージファイル", "最後の検査"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= Columns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(headers[section]);
}

} // namespace orbisk
