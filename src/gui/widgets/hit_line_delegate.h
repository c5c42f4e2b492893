#pragma once

#include <QStyledItemDelegate>
#include <vector>

namespace orbisk {

// Gives every line of a long list the width of its widest line, so that a list of uniform
// lines shows each one whole and scrolls sideways. The widths are summed from a cache of
// character widths: measuring 100,000 lines one by one would cost more than the search.
class HitLineDelegate : public QStyledItemDelegate {
public:
    explicit HitLineDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

    void measure(const QAbstractItemModel& lines);
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int width_ = 0;
    std::vector<short> charWidths_; // by UTF-16 unit, -1 until measured
};

} // namespace orbisk
