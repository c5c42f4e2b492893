#pragma once

#include "copy/copy_files.h"
#include "registration/register_disc.h"
#include "support/transcript.h"
#include "words.h"

#include <functional>

namespace orbisk::testing {

// What a registration shows, recorded in order, captions in the windows' Japanese: "busy"
// and "not busy" stand for the seven controls disabled and enabled again.
class RecordingRegisterSink : public RegisterSink {
public:
    explicit RecordingRegisterSink(Transcript& transcript) : transcript_(transcript) {}
    std::function<void(const std::string&)> onCaption;

    void setBusy(bool busy) override { transcript_.add(busy ? "busy" : "not busy"); }
    void setCaption(const Message& message) override {
        const std::string caption = Japanese(message);
        transcript_.add("caption " + caption);
        if (onCaption) {
            onCaption(caption);
        }
    }
    void setProgressMax(int max) override { transcript_.add("max " + std::to_string(max)); }
    void setProgressValue(int value) override { transcript_.add("value " + std::to_string(value)); }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }
    void titlesChanged() override { transcript_.add("refresh titles"); }

private:
    Transcript& transcript_;
};

// What a copy shows, recorded in order.
class RecordingCopySink : public CopySink {
public:
    explicit RecordingCopySink(Transcript& transcript) : transcript_(transcript) {}

    void setBusy(bool busy) override { transcript_.add(busy ? "busy" : "not busy"); }
    void setProgressMax(int max) override { transcript_.add("max " + std::to_string(max)); }
    void setProgressValue(int value) override { transcript_.add("value " + std::to_string(value)); }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }

private:
    Transcript& transcript_;
};

} // namespace orbisk::testing
