#include "command.h"

#include "catalog/catalog_error.h"
#include "search/name_index.h"

namespace orbisk {

CommandRun::CommandRun(const CommandLineServices& services, std::filesystem::path catalog,
                       const CommandLine& line)
    : services_(services), catalog_(std::move(catalog)), line_(line),
      words_(line.words.empty() ? line.words.end() : line.words.begin() + 1, line.words.end()),
      terminal_(services.err, services.language, line.has(YesOption)), platform_{services.files,
                                                                                 tray_, terminal_,
                                                                                 services.clock,
                                                                                 services.numbers} {
}

std::filesystem::path CommandRun::indexFolder() const {
    return IndexFolderFor(catalog_, services_.cacheFolder);
}

std::string CommandRun::said(const Bilingual& text,
                             std::initializer_list<std::string_view> values) {
    return Filled(text.in(language()), values);
}

int CommandRun::catalogFailed(const std::exception& error) {
    terminal_.tell(CatalogOpenFailure(catalog_, ReasonOf(error)));
    return Failed;
}

int CommandRun::written(Output& output, int status) {
    const std::string reason = output.finish();
    if (reason.empty()) {
        return status;
    }
    terminal_.say(StandardOutputFailure(reason, language()));
    return Failed;
}

std::string StandardOutputFailure(const std::string& reason, Language language) {
    return Filled(
        Bilingual{"Standard output could not be written: {}", "標準出力に書き込めませんでした。{}"}
            .in(language),
        {reason});
}

} // namespace orbisk
