#include "services/message_dialog.h"

#include <QAbstractTextDocumentLayout>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace orbisk {

namespace {

// Lines up to this wide stay one line; longer ones wrap at this width.
constexpr int ComfortableWidth = 420;
constexpr int SmallestWidth = 240;

} // namespace

MessageDialog::MessageDialog(const QString& title, const QString& text, bool withCancel,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    // A dialog: a caption and a close box, neither minimise nor maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    text_ = new QTextEdit(this);
    text_->setObjectName("messageText");
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setPlainText(text);
    text_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->viewport()->setAutoFillBackground(false);
    text_->setFocusPolicy(Qt::NoFocus);

    buttons_ = new QDialogButtonBox(
        withCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok, this);
    buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitToText();
}

void MessageDialog::fitToText() {
    const QScreen* screen = parentWidget() != nullptr && parentWidget()->screen() != nullptr
                                ? parentWidget()->screen()
                                : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QTextDocument* document = text_->document();
    const int margins = static_cast<int>(2 * document->documentMargin());
    // The width the text takes unwrapped, as the text's own layout measures it (a font's
    // metrics alone come out a little short), then held to a comfortable width.
    QTextDocument unwrapped;
    unwrapped.setDefaultFont(text_->font());
    unwrapped.setDocumentMargin(document->documentMargin());
    unwrapped.setPlainText(text_->toPlainText());
    unwrapped.setTextWidth(-1);
    const int natural = static_cast<int>(std::ceil(unwrapped.idealWidth())) + margins + 2;
    const int width = std::clamp(natural, SmallestWidth, std::min(ComfortableWidth, area.width()));
    text_->setLineWrapColumnOrWidth(width - margins);
    document->setTextWidth(width - margins);
    const int height = static_cast<int>(std::ceil(document->size().height()));
    // Room for the caption bar, the buttons and the margins; beyond that the text scrolls.
    const int room = area.height() - 160;
    const bool scrolls = height > room;
    const int scrollBar = scrolls ? text_->verticalScrollBar()->sizeHint().width() : 0;
    text_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    text_->setFixedSize(width + scrollBar, std::min(height, room) + 2);
}

} // namespace orbisk
