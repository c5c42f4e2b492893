#pragma once

#include "copy/copy_window_view.h"
#include "registration/register_view.h"
#include "report/report_view.h"
#include "search/hit_list_view.h"
#include "support/transcript.h"

#include <functional>
#include <vector>

namespace orbisk::testing {

// The transcript lines of the seven controls a registration disables and enables again,
// in order, named as on the old program's screens.
extern const Lines RegisterControlsDisabled;
extern const Lines RegisterControlsEnabled;
// The same for the seven controls of a copy.
extern const Lines CopyControlsDisabled;
extern const Lines CopyControlsEnabled;

// Lines of the parts joined in order.
Lines concat(std::initializer_list<Lines> parts);

class RecordingRegisterView : public RegisterView {
public:
    explicit RecordingRegisterView(Transcript& transcript) : transcript_(transcript) {}
    std::string drive = "e:";
    std::string titleText = "DISC";
    std::function<void()> onRefreshTitles;
    std::function<void(const std::string&)> onCaption;

    std::string driveText() const override { return drive; }
    std::string title() const override { return titleText; }
    void setControlEnabled(RegisterControl control, bool enabled) override;
    void setCaption(const std::string& caption) override {
        transcript_.add("caption " + caption);
        if (onCaption) {
            onCaption(caption);
        }
    }
    void setProgressMax(int max) override { transcript_.add("max " + std::to_string(max)); }
    void setProgressValue(int value) override { transcript_.add("value " + std::to_string(value)); }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }
    void refreshTitles() override {
        transcript_.add("refresh titles");
        if (onRefreshTitles) {
            onRefreshTitles();
        }
    }

private:
    Transcript& transcript_;
};

// What the user typed into the search panel.
struct TypedSearch : SearchInputView {
    std::string keyText = "*";
    std::string title = "ALL";
    std::string key() const override { return keyText; }
    std::string titleChoice() const override { return title; }
};

class RecordingHitList : public HitListView, public HitListProvider {
public:
    explicit RecordingHitList(Transcript& transcript) : transcript_(transcript) {}
    std::vector<std::string> lines;
    std::string caption;
    int shown = 0;

    HitListView& hitList() override { return *this; }
    void clearList() override { lines.clear(); }
    void appendLines(const std::vector<std::string>& more) override {
        lines.insert(lines.end(), more.begin(), more.end());
    }
    void setCaption(const std::string& text) override { caption = text; }
    void showModal() override {
        ++shown;
        transcript_.add("show copy window");
    }

private:
    Transcript& transcript_;
};

class RecordingCopyWindow : public CopyWindowView {
public:
    explicit RecordingCopyWindow(Transcript& transcript) : transcript_(transcript) {}
    std::vector<bool> marks;
    std::string folder = "d:\\OUT";

    std::int32_t lineCount() const override { return static_cast<std::int32_t>(marks.size()); }
    bool isMarked(std::int32_t line) const override {
        return marks.at(static_cast<std::size_t>(line));
    }
    std::string targetFolder() const override { return folder; }
    void setControlEnabled(CopyControl control, bool enabled) override;
    void setProgressMax(int max) override { transcript_.add("max " + std::to_string(max)); }
    void setProgressValue(int value) override { transcript_.add("value " + std::to_string(value)); }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }

private:
    Transcript& transcript_;
};

class RecordingReport : public ReportView, public ReportProvider {
public:
    explicit RecordingReport(Transcript& transcript) : transcript_(transcript) {}
    std::string text = "Text1";
    int shown = 0;

    ReportView& report() override { return *this; }
    void setLogText(const std::string& log) override { text = log; }
    void showModal() override {
        ++shown;
        transcript_.add("show report");
    }

private:
    Transcript& transcript_;
};

} // namespace orbisk::testing
