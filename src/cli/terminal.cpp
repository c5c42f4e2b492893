#include "terminal.h"

#include "output.h"

#include <unistd.h>

namespace orbisk {

Answer TerminalDialogs::message(const Notice& notice, Buttons buttons) {
    std::string line = Worded(notice.lines, language_);
    if (buttons == Buttons::OkCancel) {
        line += (yes_ ? Bilingual{" -> yes (--yes)", " → はい(--yes)"}
                      : Bilingual{" -> no (--yes answers yes)", " → いいえ(--yes で「はい」)"})
                    .in(language_);
    }
    say(line);
    return buttons == Buttons::Ok || yes_ ? Answer::Ok : Answer::Cancel;
}

void TerminalDialogs::tell(const MessageLines& lines) {
    say(Worded(lines, language_));
}

void TerminalDialogs::say(const std::string& text) {
    endProgress();
    std::fprintf(err_, "%s\n", TerminalText(text).c_str());
}

void TerminalDialogs::progress(const std::string& caption) {
    if (isatty(fileno(err_)) != 1) {
        return;
    }
    // A carriage return and an erase to the end of the line: the new caption replaces
    // the old one.
    std::fprintf(err_, "\r%s\x1b[K", TerminalText(caption).c_str());
    std::fflush(err_);
    progressShown_ = true;
}

void TerminalDialogs::endProgress() {
    if (progressShown_) {
        std::fputc('\n', err_);
        progressShown_ = false;
    }
}

void TerminalProgress::setCaption(const Message& caption) {
    if (caption.id != MessageId::ProgramName) {
        terminal_.progress(Worded(caption, terminal_.language()));
    }
}

} // namespace orbisk
