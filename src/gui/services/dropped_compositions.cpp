#include "services/dropped_compositions.h"

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>

namespace orbisk {

namespace {

class DroppedCompositionWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::InputMethod) {
            const auto* input = static_cast<const QInputMethodEvent*>(event);
            const bool shows = !input->preeditString().isEmpty();
            const bool dropped = showing_ && !shows && input->commitString().isEmpty() &&
                                 input->replacementLength() == 0;
            showing_ = shows;
            // Reset at once, before the next key reaches the input method: a reset
            // posted for later could cancel what the user types next.
            if (dropped) {
                QGuiApplication::inputMethod()->reset();
            }
        }
        return QObject::eventFilter(target, event);
    }

private:
    bool showing_ = false; // the last input method event showed a pre-edit
};

} // namespace

void ForgetDroppedCompositions(QApplication& application) {
    application.installEventFilter(new DroppedCompositionWatch(&application));
}

} // namespace orbisk
