#pragma once

#include "copy/copy_files.h"
#include "platform/platform.h"
#include "registration/register_disc.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk::bench {

// Windows and services that take everything and show nothing, so a benchmark times the
// command alone.
struct QuietTray : DiscTray {
    void open() override {}
    void close() override {}
};
struct QuietDialogs : Dialogs {
    Answer message(const Notice&, Buttons) override { return Answer::Ok; }
    std::string askSaveFileName(const Message&, const std::string&) override { return ""; }
    std::string askOpenFileName(MessageId, const Message&, const std::string&) override {
        return "";
    }
    std::optional<std::string> askText(const Notice&, const std::string&) override {
        return std::nullopt;
    }
};
struct QuietRegisterSink : RegisterSink {
    void setBusy(bool) override {}
    void setCaption(const Message&) override {}
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
    void titlesChanged() override {}
};
struct QuietCopySink : CopySink {
    void setBusy(bool) override {}
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
};

// The folder the benchmarks keep their generated data in.
std::filesystem::path dataFolder();

// A tree of files spread evenly over folders, made once and kept for later runs.
std::filesystem::path fileTree(const std::string& name, int files, int folders,
                               std::size_t fileSize);

// Seconds a shell command takes, run through /bin/sh.
double commandSeconds(const std::string& command);

} // namespace orbisk::bench
