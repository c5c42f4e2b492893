#include "terminal.h"

#include "english.h"
#include "output.h"

#include <unistd.h>

namespace orbisk {

std::string TerminalDialogs::said(const std::string& text) const {
    return japanese_ ? text : English(text);
}

Answer TerminalDialogs::message(const std::string& text, const std::string&, Buttons buttons) {
    endProgress();
    std::string line = said(text);
    if (buttons == Buttons::OkCancel) {
        line += japanese_ ? (yes_ ? " → はい(--yes)" : " → いいえ(--yes で「はい」)")
                          : (yes_ ? " -> yes (--yes)" : " -> no (--yes answers yes)");
    }
    std::fprintf(err_, "%s\n", TerminalText(line).c_str());
    return buttons == Buttons::Ok || yes_ ? Answer::Ok : Answer::Cancel;
}

void TerminalDialogs::progress(const std::string& caption) {
    if (isatty(fileno(err_)) != 1) {
        return;
    }
    // A carriage return and an erase to the end of the line: the new caption replaces
    // the old one.
    std::fprintf(err_, "\r%s\x1b[K", TerminalText(said(caption)).c_str());
    std::fflush(err_);
    progressShown_ = true;
}

void TerminalDialogs::endProgress() {
    if (progressShown_) {
        std::fputc('\n', err_);
        progressShown_ = false;
    }
}

void TerminalProgress::setCaption(const std::string& caption) {
    if (caption != "Orbisk") {
        terminal_.progress(caption);
    }
}

} // namespace orbisk
