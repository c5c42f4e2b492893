#include "media/media_routines.h"

namespace orbisk {

void OpenTray(MediaControl& media) {
    media.send(TrayOpenCommand);
}

void CloseTray(MediaControl& media) {
    media.send(TrayCloseCommand);
}

bool IsDriveReady(const FileSystem& files, const std::string& drive) {
    return files.isDriveReady(drive);
}

std::string FileStatus(const FileSystem& files, const std::string& path) {
    return files.isPresentFile(path) ? "OK" : "NG";
}

} // namespace orbisk
