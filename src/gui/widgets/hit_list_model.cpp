#include "widgets/hit_list_model.h"

#include "search/find_files.h"
#include "text/display_text.h"

namespace orbisk {

HitListModel::HitListModel(HitTable hits, QObject* parent)
    : QAbstractListModel(parent), hits_(std::move(hits)) {}

int HitListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(hits_.size());
}

QVariant HitListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Hit& hit = hits_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(HitLine(hit));
    case Qt::ToolTipRole:
        return QString::fromStdString(DisplayText(hit.path));
    default:
        return {};
    }
}

} // namespace orbisk
