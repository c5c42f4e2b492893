#pragma once

#include "platform/file_system.h"
#include "platform/media_control.h"

#include <string>

namespace orbisk {

inline constexpr const char* TrayOpenCommand = "set cdaudio door open";
inline constexpr const char* TrayCloseCommand = "set cdaudio door Closed";

void OpenTray(MediaControl& media);
void CloseTray(MediaControl& media);

// True only when the drive's media can be read; a drive that does not exist is not ready.
bool IsDriveReady(const FileSystem& files, const std::string& drive);

// "OK" for a present plain file of any attributes, "NG" for anything else.
std::string FileStatus(const FileSystem& files, const std::string& path);

} // namespace orbisk
