#pragma once

#include "platform/disc_tray.h"
#include "platform/file_system.h"

#include <string>

namespace orbisk {

// The tray is pulled in before a disc is read and pushed out when the program is done
// with it; where the drive cannot move it, nothing happens.
void OpenTray(DiscTray& tray);
void CloseTray(DiscTray& tray);

// True only when the drive's media can be read; a drive that does not exist is not ready.
bool IsDriveReady(const FileSystem& files, const std::string& drive);

// True for a present plain file of any attributes, false for anything else.
bool IsFilePresent(const FileSystem& files, const std::string& path);

} // namespace orbisk
