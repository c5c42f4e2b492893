#include "catalog/catalog_place.h"

#include "catalog/catalog.h"

namespace orbisk {

namespace {

bool isThere(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(file, error));
}

} // namespace

std::filesystem::path ChooseCatalog(const std::optional<std::filesystem::path>& named,
                                    const std::filesystem::path& programFolder,
                                    const std::filesystem::path& dataFolder) {
    if (named) {
        return *named;
    }
    const auto beside = programFolder / Catalog::FileName;
    return isThere(beside) ? beside : dataFolder / Catalog::FileName;
}

void OfferNewCatalog(const std::filesystem::path& file, const std::filesystem::path& dataFolder,
                     Dialogs& dialogs) {
    if (isThere(file)) {
        return;
    }
    const std::filesystem::path folder = file.parent_path();
    const bool inDataFolder = folder == dataFolder;
    std::error_code error;
    if (!inDataFolder && !std::filesystem::is_directory(folder.empty() ? "." : folder, error)) {
        dialogs.message({MessageId::ProgramName,
                         {{MessageId::CatalogFolderMissing, {}}, Verbatim(file.string())}},
                        Buttons::Ok);
        return;
    }
    if (dialogs.message(
            {MessageId::ProgramName, {{MessageId::OfferNewCatalog, {}}, Verbatim(file.string())}},
            Buttons::OkCancel) == Answer::Cancel) {
        return;
    }
    try {
        if (inDataFolder) {
            std::filesystem::create_directories(folder);
        }
        Catalog::create(file);
    } catch (const std::exception& error) {
        dialogs.message(
            {MessageId::ProgramName,
             Then({{MessageId::CatalogNotCreated, {}}, Verbatim(file.string())}, ReasonOf(error))},
            Buttons::Ok);
    }
}

} // namespace orbisk
