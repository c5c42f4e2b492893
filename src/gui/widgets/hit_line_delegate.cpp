#include "widgets/hit_line_delegate.h"

#include <QAbstractItemView>
#include <QFontMetrics>

namespace orbisk {

namespace {

// Room for the item's own margins and the focus frame around the text.
constexpr int Padding = 12;

} // namespace

void HitLineDelegate::measure(const QAbstractItemModel& lines) {
    const auto* view = qobject_cast<const QAbstractItemView*>(parent());
    const QFontMetrics metrics = view != nullptr ? view->fontMetrics() : QFontMetrics(QFont());
    charWidths_.assign(0x10000, -1);
    int widest = 0;
    for (int row = 0; row < lines.rowCount(); ++row) {
        const QString line = lines.index(row, 0).data().toString();
        int width = 0;
        for (const QChar c : line) {
            short& known = charWidths_[c.unicode()];
            if (known < 0) {
                known = static_cast<short>(metrics.horizontalAdvance(c));
            }
            width += known;
        }
        widest = std::max(widest, width);
    }
    width_ = widest + Padding;
}

QSize HitLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::max(size.width(), width_));
    return size;
}

} // namespace orbisk
