#include "edit/edit_commands.h"

#include "catalog/catalog.h"
#include "catalog/title_rules.h"
#include "edit/csv.h"
#include "edit/disc_store.h"
#include "text/display_text.h"

#include <algorithm>
#include <cstdio>

namespace orbisk {

namespace {

// Rows written between two looks at whether a stop was asked.
constexpr std::int64_t RowsPerLook = 1000;

Notice removeFailure(const std::exception& error) {
    return {MessageId::RemoveTitle, Then({{MessageId::RemoveFailed, {}}}, ReasonOf(error))};
}

// A name for the CSV: the title (or the program's name) and today's date, without the
// characters a file name cannot hold.
std::string suggestedName(const std::optional<std::string>& title, const CalendarDate& today) {
    std::string name = title ? DisplayText(*title) : "Orbisk";
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\\', '_');
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", today.year, today.month, today.day);
    return name + "_" + date + ".csv";
}

} // namespace

bool RenameTitle(Platform platform, const std::filesystem::path& catalogFile,
                 const std::string& title) {
    Dialogs& dialogs = platform.dialogs;
    // The title to change stands in the field, so a long one never widens the question.
    const auto newTitle =
        dialogs.askText({MessageId::RenameTitle, {{MessageId::NewTitlePrompt, {}}}}, title);
    if (!newTitle || *newTitle == title) {
        return false;
    }
    if (const auto refusal = TitleRefusal(*newTitle)) {
        dialogs.message(*refusal, Buttons::Ok);
        return false;
    }
    try {
        Catalog catalog(catalogFile, Catalog::Access::Write);
        if (IsRegistered(catalog, *newTitle) &&
            dialogs.message({MessageId::RenameTitle, {{MessageId::MergeTitles, {*newTitle}}}},
                            Buttons::OkCancel) == Answer::Cancel) {
            return false;
        }
        RenameDisc(catalog, title, *newTitle);
    } catch (const std::exception& error) {
        dialogs.message(
            {MessageId::RenameTitle, Then({{MessageId::TitleNotChanged, {}}}, ReasonOf(error))},
            Buttons::Ok);
        return false;
    }
    return true;
}

bool RemoveTitle(Platform platform, const std::filesystem::path& catalogFile,
                 const std::string& title) {
    if (!AskToRemoveTitle(platform, catalogFile, title)) {
        return false;
    }
    if (const auto failure = RemoveTitleRows(catalogFile, title)) {
        platform.dialogs.message(*failure, Buttons::Ok);
        return false;
    }
    return true;
}

bool AskToRemoveTitle(Platform platform, const std::filesystem::path& catalogFile,
                      const std::string& title) {
    std::int64_t files = 0;
    try {
        // Opened to be written, so that a catalogue that cannot be is said so before the
        // question.
        Catalog catalog(catalogFile, Catalog::Access::Write);
        files = CountDiscFiles(catalog, title);
    } catch (const std::exception& error) {
        platform.dialogs.message(removeFailure(error), Buttons::Ok);
        return false;
    }
    return platform.dialogs.message(
               {MessageId::RemoveTitle,
                {{MessageId::RemoveQuestion, {title}}, {MessageId::FileCount, {Count(files)}}}},
               Buttons::OkCancel) == Answer::Ok;
}

std::optional<Notice> RemoveTitleRows(const std::filesystem::path& catalogFile,
                                      const std::string& title) {
    try {
        Catalog catalog(catalogFile, Catalog::Access::Write);
        RemoveDisc(catalog, title);
    } catch (const std::exception& error) {
        return removeFailure(error);
    }
    return std::nullopt;
}

bool WriteCsv(const std::filesystem::path& catalogFile, const std::optional<std::string>& title,
              FileWriter& file, std::stop_token stop) {
    Catalog catalog(catalogFile);
    file.write("\xEF\xBB\xBF");
    file.write(CsvLine({"ファイルパス", "メディア名", "ファイル名", "拡張子", "サイズ", "登録日",
                        "書庫内のパス"}));
    std::int64_t written = 0;
    std::vector<std::string> shown(7);
    ExportRows(catalog, title, [&](const std::vector<std::string>& row) {
        // The file says it is UTF-8: names from old discs that are not are written as they
        // are shown, read as the Japanese code page.
        std::transform(row.begin(), row.end(), shown.begin(),
                       [](const std::string& value) { return DisplayText(value); });
        file.write(CsvLine(shown));
        return ++written % RowsPerLook != 0 || !stop.stop_requested();
    });
    if (stop.stop_requested()) {
        return false;
    }
    file.commit();
    return true;
}

void ExportCsv(Platform platform, const std::filesystem::path& catalogFile,
               const std::optional<std::string>& title, std::stop_token stop) {
    const auto tell = [&platform](MessageLines lines) {
        platform.dialogs.message({MessageId::ExportTitle, std::move(lines)}, Buttons::Ok);
    };
    const std::string name = platform.dialogs.askSaveFileName(
        {MessageId::CsvFiles, {}}, suggestedName(title, platform.clock.today()));
    if (name.empty()) {
        tell({{MessageId::NoFileName, {}}});
        return;
    }
    try {
        auto file = platform.files.createFile(name);
        if (!WriteCsv(catalogFile, title, *file, stop)) {
            return;
        }
    } catch (const std::exception& error) {
        tell(Then({{MessageId::CsvNotSaved, {}}}, ReasonOf(error)));
        return;
    }
    tell({{MessageId::Saved, {}}});
}

} // namespace orbisk
