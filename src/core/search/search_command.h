#pragma once

#include "platform/platform.h"
#include "search/hit_list_view.h"
#include "search/hit_table.h"

#include <filesystem>

namespace orbisk {

inline constexpr const char* TooManyHitsMessage =
    "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。";
inline constexpr const char* TooManyHitsTitle = "検索結果のファイル数が多すぎます。";

class NameIndex;

// FIND: fills the hit table with the catalogued files whose name matches the key, on
// every disc or on one title, and shows them in the copy window. With a name index in
// step with the catalogue, only the rows it picks are read; else the catalogue is
// scanned: the hits are the same, in the same order. A failure is told to the user and
// leaves the last search's hits as they were.
class SearchCommand {
public:
    SearchCommand(Platform platform, std::filesystem::path catalogFile, const NameIndex* index,
                  const SearchInputView& input, HitListProvider& copyWindow, HitTable& hits)
        : platform_(platform), catalogFile_(std::move(catalogFile)), index_(index), input_(input),
          copyWindow_(copyWindow), hits_(hits) {}

    void run();

private:
    Platform platform_;
    std::filesystem::path catalogFile_;
    const NameIndex* index_;
    const SearchInputView& input_;
    HitListProvider& copyWindow_;
    HitTable& hits_;
};

// "[" + title + "]" + name, as shown: names from old discs that are not UTF-8 are read
// as the Japanese code page where they can be.
std::string HitLine(const Hit& hit);

} // namespace orbisk
