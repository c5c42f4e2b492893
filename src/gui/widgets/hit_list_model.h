#pragma once

#include "search/hit_table.h"

#include <QAbstractListModel>

namespace orbisk {

// The hits of a search as the copy window's list: one line "[title]name" per hit, in the
// search's order, with the hit's full path as tool tip. The model owns the hits.
class HitListModel : public QAbstractListModel {
    Q_OBJECT
public:
    HitListModel(HitTable hits, QObject* parent);

    const HitTable& hits() const { return hits_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    HitTable hits_;
};

} // namespace orbisk
