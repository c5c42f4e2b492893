#include "app/application.h"

#include "copy/form2.h"
#include "report/form3.h"

namespace orbisk {

WindowHub::~WindowHub() {
    delete form3_.data();
    delete form2_.data();
}

Form2* WindowHub::copyWindow() const {
    return form2_.data();
}

Form3* WindowHub::reportWindow() const {
    return form3_.data();
}

HitListView& WindowHub::hitList() {
    if (!form2_) {
        form2_ = new Form2(session_, *this);
    }
    return *form2_;
}

ReportView& WindowHub::report() {
    if (!form3_) {
        form3_ = new Form3(session_, *this);
    }
    return *form3_;
}

} // namespace orbisk
