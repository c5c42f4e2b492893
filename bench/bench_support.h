#pragma once

#include "copy/copy_window_view.h"
#include "platform/platform.h"
#include "registration/register_view.h"
#include "report/report_view.h"
#include "search/hit_list_view.h"

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
    Answer message(const std::string&, const std::string&, Buttons) override { return Answer::Ok; }
    std::string askSaveFileName(const std::string&) override { return ""; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};
struct QuietEvents : EventPump {
    void processPendingEvents() override {}
};
struct QuietRegisterView : RegisterView {
    std::string drive;
    std::string driveText() const override { return drive; }
    std::string title() const override { return "BENCH"; }
    void setControlEnabled(RegisterControl, bool) override {}
    void setCaption(const std::string&) override {}
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
    void refreshTitles() override {}
};
struct QuietInputs : SearchInputView {
    std::string keyText;
    std::string key() const override { return keyText; }
    std::string titleChoice() const override { return "ALL"; }
};
struct RecordedList : HitListView, HitListProvider {
    std::vector<std::string> lines;
    HitListView& hitList() override { return *this; }
    void clearList() override { lines.clear(); }
    void appendLines(const std::vector<std::string>& more) override {
        lines.insert(lines.end(), more.begin(), more.end());
    }
    void setCaption(const std::string&) override {}
    void showModal() override {}
};
struct AllMarkedWindow : CopyWindowView {
    std::int32_t count = 0;
    std::string folder;
    std::int32_t lineCount() const override { return count; }
    bool isMarked(std::int32_t) const override { return true; }
    std::string targetFolder() const override { return folder; }
    void setControlEnabled(CopyControl, bool) override {}
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
};
struct QuietReport : ReportView, ReportProvider {
    std::string text;
    ReportView& report() override { return *this; }
    void setLogText(const std::string& log) override { text = log; }
    void showModal() override {}
};

// The folder the benchmarks keep their generated data in.
std::filesystem::path dataFolder();

// A tree of files spread evenly over folders, made once and kept for later runs.
std::filesystem::path fileTree(const std::string& name, int files, int folders,
                               std::size_t fileSize);

// Seconds a shell command takes, run through /bin/sh.
double commandSeconds(const std::string& command);

} // namespace orbisk::bench
