#pragma once

#include "media/folder_walk.h"
#include "platform/platform.h"
#include "registration/register_view.h"

#include <filesystem>

namespace orbisk {

class Catalog;

// ADD: registers the disc in the chosen drive under the typed title.
class RegisterCommand {
public:
    RegisterCommand(Platform platform, RegisterView& view, std::filesystem::path catalogFile)
        : platform_(platform), view_(view), catalogFile_(std::move(catalogFile)) {}

    void run();

private:
    void setControlsEnabled(bool enabled);
    void storeFileRows(Catalog& catalog, const PathArray& paths, const std::string& title);

    Platform platform_;
    RegisterView& view_;
    std::filesystem::path catalogFile_;
};

} // namespace orbisk
