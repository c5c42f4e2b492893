#pragma once

#include "platform/dialogs.h"
#include "platform/disc_tray.h"
#include "platform/event_pump.h"
#include "registration/register_disc.h"

#include <cstdio>
#include <string>

namespace orbisk {

// Messages on standard error, in Japanese or English. A question is answered with yes
// only when the command line said so beforehand (--yes); else no, and the message says
// which answer was taken.
class TerminalDialogs : public Dialogs {
public:
    TerminalDialogs(std::FILE* err, bool japanese, bool yes)
        : err_(err), japanese_(japanese), yes_(yes) {}

    Answer message(const std::string& text, const std::string& title, Buttons buttons) override;
    std::string askSaveFileName(const std::string&, const std::string&) override { return ""; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
    // text in the terminal's language.
    std::string said(const std::string& text) const;
    // Shows a caption of a long command on a line of its own that the next caption
    // replaces, only when standard error is a terminal; a message ends that line first.
    void progress(const std::string& caption);
    // Ends the progress line, if one is shown.
    void endProgress();

private:
    std::FILE* err_;
    bool japanese_;
    bool yes_;
    bool progressShown_ = false;
};

// A registration's progress: its captions on the terminal.
class TerminalProgress : public RegisterSink {
public:
    explicit TerminalProgress(TerminalDialogs& terminal) : terminal_(terminal) {}
    ~TerminalProgress() override { terminal_.endProgress(); }

    void setBusy(bool) override {}
    void setCaption(const std::string& caption) override;
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

// No window waits for events.
class NoEvents : public EventPump {
public:
    void processPendingEvents() override {}
};

} // namespace orbisk
