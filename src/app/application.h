#pragma once

#include "platform/platform.h"
#include "report/report_view.h"
#include "search/hit_list_view.h"
#include "search/hit_table.h"

#include <QPointer>
#include <filesystem>

namespace orbisk {

class Form2;
class Form3;

// What every window of one run shares: the platform, the catalogue file and the hits.
struct Session {
    Platform platform;
    std::filesystem::path catalogFile;
    HitTable hits;
};

// The one copy window and the one report window of the run, created when a command first
// touches them and gone when they are closed.
class WindowHub : public HitListWindow, public ReportWindow {
public:
    explicit WindowHub(Session& session) : session_(session) {}
    ~WindowHub() override;

    HitListView& hitList() override;
    ReportView& report() override;

    Form2* copyWindow() const;
    Form3* reportWindow() const;

private:
    Session& session_;
    QPointer<Form2> form2_;
    QPointer<Form3> form3_;
};

} // namespace orbisk
