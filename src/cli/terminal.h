#pragma once

#include "platform/dialogs.h"
#include "platform/disc_tray.h"
#include "registration/register_disc.h"
#include "words.h"

#include <cstdio>
#include <string>

namespace orbisk {

// Messages on standard error, in the run's language. A question is answered with yes
// only when the command line said so beforehand (--yes); else no, and the message says
// which answer was taken. Nothing else is asked: no file, no file name, no text.
class TerminalDialogs : public Dialogs {
public:
    TerminalDialogs(std::FILE* err, Language language, bool yes)
        : err_(err), language_(language), yes_(yes) {}

    Answer message(const Notice& notice, Buttons buttons) override;
    std::string askSaveFileName(const Message&, const std::string&) override { return ""; }
    std::string askOpenFileName(MessageId, const Message&, const std::string&) override {
        return "";
    }
    std::optional<std::string> askText(const Notice&, const std::string&) override {
        return std::nullopt;
    }
    // Writes lines, each message worded in the run's language, as a line of its own.
    void tell(const MessageLines& lines);
    // Writes text, orbisk-cli's own words, as a line of its own.
    void say(const std::string& text);
    Language language() const { return language_; }
    // Shows a caption of a long command on a line of its own that the next caption
    // replaces, only when standard error is a terminal; a message ends that line first.
    void progress(const std::string& caption);
    // Ends the progress line, if one is shown.
    void endProgress();

private:
    std::FILE* err_;
    Language language_;
    bool yes_;
    bool progressShown_ = false;
};

// A registration's progress: its captions on the terminal.
class TerminalProgress : public RegisterSink {
public:
    explicit TerminalProgress(TerminalDialogs& terminal) : terminal_(terminal) {}
    ~TerminalProgress() override { terminal_.endProgress(); }

    void setBusy(bool) override {}
    void setCaption(const Message& caption) override;
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
    void titlesChanged() override {}

private:
    TerminalDialogs& terminal_;
};

// A folder named on the command line is in no tray: nothing moves.
class StillTray : public DiscTray {
public:
    void open() override {}
    void close() override {}
};

} // namespace orbisk
