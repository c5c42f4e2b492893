#pragma once

#include "copy/copy_window_view.h"
#include "platform/platform.h"
#include "report/report_view.h"
#include "search/hit_table.h"

namespace orbisk {

// COPY: copies the marked hits from their discs into the folder opened in Dir1, asking
// for each disc by title, and shows the log in the report window.
class CopyCommand {
public:
    CopyCommand(Platform platform, const HitTable& hits, CopyWindowView& view, ReportWindow& report)
        : platform_(platform), hits_(hits), view_(view), report_(report) {}

    void run();

private:
    enum class DiscCheck { Ready, Cancelled };

    bool anyMarked() const;
    void setControlsEnabled(bool enabled);
    DiscCheck checkDisc(const Hit& hit, std::string& confirmedTitle);
    std::string copyOne(const Hit& hit, const std::string& folder);

    Platform platform_;
    const HitTable& hits_;
    CopyWindowView& view_;
    ReportWindow& report_;
};

} // namespace orbisk
