#include "widgets/progress_row.h"

#include "widgets/window_parts.h"

#include <QLabel>
#include <QProgressBar>

namespace orbisk {

ProgressRow::ProgressRow(QWidget* parent, const char* barName, const QRect& barTwips,
                         const char* labelName, const QRect& labelTwips)
    : bar_(new QProgressBar(parent)), label_(new QLabel("0%", parent)) {
    bar_->setObjectName(barName);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    PlaceTwips(bar_, barTwips.x(), barTwips.y(), barTwips.width(), barTwips.height());
    label_->setObjectName(labelName);
    PlaceTwips(label_, labelTwips.x(), labelTwips.y(), labelTwips.width(), labelTwips.height());
}

void ProgressRow::setMaximum(int max) {
    bar_->setMaximum(max);
}

void ProgressRow::setValue(int value) {
    bar_->setValue(value);
}

void ProgressRow::setPercentText(const std::string& text) {
    label_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace orbisk
