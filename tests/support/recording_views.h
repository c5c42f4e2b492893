#pragma once

#include "copy/copy_window_view.h"
#include "registration/register_view.h"
#include "report/report_view.h"
#include "search/hit_list_view.h"
#include "support/transcript.h"

#include <functional>
#include <vector>

namespace orbisk::testing {

std::string percentText(float value);

class RecordingRegisterView : public RegisterView {
public:
    explicit RecordingRegisterView(Transcript& transcript) : transcript_(transcript) {}
    std::string drive = "e:";
    std::string titleText = "DISC";
    std::function<void()> onSubSetDb;
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
    void setProgressMax(float max) override { transcript_.add("max " + percentText(max)); }
    void setProgressValue(float value) override {
        value_ = value;
        transcript_.add("value " + percentText(value));
    }
    float progressValue() const override { return value_; }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }
    void SubSetDb() override {
        transcript_.add("SubSetDb");
        if (onSubSetDb) {
            onSubSetDb();
        }
    }

private:
    Transcript& transcript_;
    float value_ = 0;
};

class RecordingHitList : public HitListView, public HitListWindow {
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

    std::int32_t itemCount() const override { return static_cast<std::int32_t>(marks.size()); }
    bool isMarked(std::int32_t line) const override {
        return marks.at(static_cast<std::size_t>(line));
    }
    std::string targetFolder() const override { return folder; }
    void setControlEnabled(CopyControl control, bool enabled) override;
    void setProgressMax(float max) override { transcript_.add("max " + percentText(max)); }
    void setProgressValue(float value) override { transcript_.add("value " + percentText(value)); }
    void setPercentLabel(const std::string& text) override { transcript_.add("label " + text); }

private:
    Transcript& transcript_;
};

class RecordingReport : public ReportView, public ReportWindow {
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
