#include "widgets/shown_text.h"

#include "text/display_text.h"

namespace orbisk {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(DisplayText(bytes));
}

} // namespace orbisk
