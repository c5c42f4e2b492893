#pragma once

#include "platform/dialogs.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr const char* AllTitles = "ALL";

// The title list of the search panel.
class TitleListView {
public:
    virtual ~TitleListView() = default;
    // Empties the list, appends entries in order and makes "ALL" the text.
    virtual void setTitles(const std::vector<std::string>& entries) = 0;
};

// The entries of the title list: "ALL", then every registered title in engine order,
// duplicates kept. Throws CatalogError when the catalogue cannot be read.
std::vector<std::string> ReadTitleList(const std::filesystem::path& catalogFile);

// Fills the title list from the catalogue. A catalogue that cannot be read leaves "ALL"
// alone in the list, and the user is told why.
void RefreshTitles(const std::filesystem::path& catalogFile, TitleListView& view, Dialogs& dialogs);

} // namespace orbisk
