#pragma once

#include "platform/platform.h"

#include <filesystem>
#include <stop_token>
#include <string>

namespace orbisk {

// What the registration shows while it runs.
class RegisterSink {
public:
    virtual ~RegisterSink() = default;
    // Disables, in a fixed order, the controls that could start another run or disturb
    // this one (the drive list, the title, ADD, the panel's X and the three picture
    // buttons), or enables them again in the same order.
    virtual void setBusy(bool busy) = 0;
    // The window's caption, said by id.
    virtual void setCaption(const Message& caption) = 0;
    virtual void setProgressMax(int max) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
    // The catalogue holds a new title: the title list is to be filled again.
    virtual void titlesChanged() = 0;
};

enum class Registration {
    Registered, // the disc's rows are in the catalogue
    Refused,    // the title, the drive or the catalogue was refused before the walk
    Empty,      // the disc held no file to register; nothing was written
    Failed,     // storing failed; the catalogue is as it was
    Stopped     // a stop was asked before the end; the catalogue is as it was
};

// ADD: registers the disc in drive under title. The tray is pulled in first and pushed
// out at the end. The disc is stored whole or not at all; every refusal and failure is
// told to the user. A stop asked while the disc is walked, listed or stored ends the run
// without a word, its rows not stored; one asked once they are committed changes nothing.
//
// With readContent, every file is read to its end and its content fingerprint stored with
// it, and so is every file packed in an archive: a file that cannot be read whole is
// registered without one, and counted at the end.
Registration RegisterDisc(Platform platform, const std::filesystem::path& catalogFile,
                          const std::string& drive, const std::string& title, RegisterSink& sink,
                          std::stop_token stop = {}, bool readContent = false);

} // namespace orbisk
