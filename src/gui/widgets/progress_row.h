#pragma once

#include <QRect>
#include <string>

class QLabel;
class QProgressBar;
class QWidget;

namespace orbisk {

// A command's progress as the main and copy windows show it: its percent in a label and a
// bar without text, starting at 0%.
class ProgressRow {
public:
    // Makes the bar and the label on parent, each named and placed (in twips) as given.
    ProgressRow(QWidget* parent, const char* barName, const QRect& barTwips, const char* labelName,
                const QRect& labelTwips);

    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

    void setMaximum(int max);
    void setValue(int value);
    void setPercentText(const std::string& text);

private:
    QProgressBar* bar_;
    QLabel* label_;
};

} // namespace orbisk
