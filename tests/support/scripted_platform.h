#pragma once

#include "platform/platform.h"
#include "support/fake_file_system.h"
#include "support/listing_hook.h"
#include "support/transcript.h"

#include <deque>
#include <functional>

namespace orbisk::testing {

// Records the tray's moves in the words of the old media commands, which the transcripts
// of the command tests read.
class RecordingTray : public DiscTray {
public:
    explicit RecordingTray(Transcript& transcript) : transcript_(transcript) {}
    void open() override { transcript_.add("tray set cdaudio door open"); }
    void close() override { transcript_.add("tray set cdaudio door Closed"); }

private:
    Transcript& transcript_;
};

// Records each message as "message TITLE: TEXT", worded in the windows' Japanese, and
// answers from a script (OK when the script is empty); the save dialog answers the next
// scripted name, the open dialog the next scripted file.
class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(Transcript& transcript) : transcript_(transcript) {}
    std::deque<Answer> answers;
    std::deque<std::string> saveNames;
    // Answers to the open dialog, in turn; none left means Cancel.
    std::deque<std::string> openNames;
    // Answers to text questions; nothing means Cancel.
    std::deque<std::optional<std::string>> texts;
    std::function<void(const std::string& text)> onMessage;

    Answer message(const Notice& notice, Buttons buttons) override;
    std::string askSaveFileName(const Message& filter, const std::string& suggested) override;
    std::string askOpenFileName(MessageId title, const Message& filter,
                                const std::string& start) override;
    std::optional<std::string> askText(const Notice& question, const std::string& initial) override;

private:
    Transcript& transcript_;
};

class FixedClock : public Clock {
public:
    CalendarDate today() const override { return {2026, 12, 7}; }
    // In UTC, so that a test reads the same everywhere.
    std::string dateTimeText(std::int64_t seconds) const override;
};

// Groups digits with a comma, as a Japanese locale does.
class CommaNumberFormat : public NumberFormat {
public:
    std::string grouped(std::int64_t value) const override;
};

// The whole scripted platform in the Windows form.
struct ScriptedPlatform {
    Transcript transcript;
    ListingHook<FakeFileSystem> files{&transcript};
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;

    Platform platform() { return {files, tray, dialogs, clock, numbers}; }
};

} // namespace orbisk::testing
