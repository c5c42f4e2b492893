#pragma once

#include "platform/dialogs.h"
#include "search/hit_list_view.h"
#include "search/hit_table.h"

#include <filesystem>

namespace orbisk {

inline constexpr const char* TooManyHitsMessage =
    "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。";
inline constexpr const char* TooManyHitsTitle = "検索結果のファイル数が多すぎます。";

// FIND: fills the hit table with the catalogued files whose name matches the key, on
// every disc or on one title, and shows them in the copy window.
class SearchCommand {
public:
    SearchCommand(HitTable& hits, const SearchInputView& input, HitListWindow& window,
                  Dialogs& dialogs, std::filesystem::path catalogFile)
        : hits_(hits), input_(input), window_(window), dialogs_(dialogs),
          catalogFile_(std::move(catalogFile)) {}

    void run();

private:
    HitTable& hits_;
    const SearchInputView& input_;
    HitListWindow& window_;
    Dialogs& dialogs_;
    std::filesystem::path catalogFile_;
};

// "[" + title + "]" + name, as shown: names from old discs that are not UTF-8 are read
// as the Japanese code page where they can be.
std::string HitLine(const Hit& hit);

} // namespace orbisk
