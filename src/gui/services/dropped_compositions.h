#pragma once

class QApplication;

namespace orbisk {

// Keeps the input method in step with what the fields show. When the input method takes a
// shown pre-edit away without committing it (the user deleted it, or cancelled the
// conversion), the application's input context is reset, so that it cannot commit the
// dropped text later. Qt's IBus plugin keeps the last pre-edit that Mozc hid, and commits
// it when the field loses the focus: "あ", typed and deleted in the title, would come back
// as ADD is clicked and become part of the registered title.
void ForgetDroppedCompositions(QApplication& application);

} // namespace orbisk
