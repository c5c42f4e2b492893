#pragma once

#include <QDialog>

class QDialogButtonBox;
class QTextEdit;

namespace orbisk {

// A message box that shows its whole text: long lines wrap, at a word where there is one
// and anywhere else (a long title without spaces), and the box grows with its text up to
// the screen's size; only a text taller than the screen scrolls. No icon; OK, or OK and
// Cancel.
class MessageDialog : public QDialog {
    Q_OBJECT
public:
    MessageDialog(const QString& title, const QString& text, bool withCancel, QWidget* parent);

    QTextEdit* textView() const { return text_; }

private:
    void fitToText();

    QTextEdit* text_;
    QDialogButtonBox* buttons_;
};

} // namespace orbisk
