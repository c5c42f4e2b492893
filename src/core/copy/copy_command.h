#pragma once

#include "copy/copy_window_view.h"
#include "platform/platform.h"
#include "report/report_view.h"
#include "search/hit_table.h"

namespace orbisk {

// COPY: copies the marked hits from their discs into the folder opened in the target
// folder list, asking for each disc by title, and shows the log in the report window.
// A file that cannot be copied is logged with its reason; the copy goes on.
class CopyCommand {
public:
    CopyCommand(Platform platform, const HitTable& hits, CopyWindowView& copyWindow,
                ReportProvider& reportWindow)
        : platform_(platform), hits_(hits), view_(copyWindow), reportWindow_(reportWindow) {}

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
    ReportProvider& reportWindow_;
};

} // namespace orbisk
