#include "media/media_routines.h"

namespace orbisk {

void OpenTray(DiscTray& tray) {
    tray.open();
}

void CloseTray(DiscTray& tray) {
    tray.close();
}

bool IsDriveReady(const FileSystem& files, const std::string& drive) {
    return files.isDriveReady(drive);
}

bool IsFilePresent(const FileSystem& files, const std::string& path) {
    return files.isPresentFile(path);
}

} // namespace orbisk
