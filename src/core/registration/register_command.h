#pragma once

#include "media/folder_walk.h"
#include "platform/platform.h"
#include "registration/register_view.h"

#include <filesystem>

namespace orbisk {

class Catalog;

// ADD: registers the disc in the chosen drive under the typed title. The disc is stored
// whole or not at all; a failure is told to the user and leaves the catalogue as it was.
class RegisterCommand {
public:
    RegisterCommand(Platform platform, std::filesystem::path catalogFile, RegisterView& mainWindow)
        : platform_(platform), catalogFile_(std::move(catalogFile)), view_(mainWindow) {}

    void run();

private:
    void setControlsEnabled(bool enabled);
    void storeFileRows(Catalog& catalog, const PathStore& paths, const std::string& title);

    Platform platform_;
    std::filesystem::path catalogFile_;
    RegisterView& view_;
};

} // namespace orbisk
