#include "command_line.h"

#include "catalog/catalog.h"
#include "catalog/catalog_place.h"
#include "commands.h"

#include <algorithm>

namespace orbisk {

namespace {

// Every option orbisk-cli knows: the programs' own and every command's.
std::vector<OptionSpec> knownOptions() {
    std::vector<OptionSpec> known;
    for (const HelpedOption& option : ProgramOptions) {
        known.push_back(option.spec);
    }
    for (const Command* command : Commands()) {
        known.insert(known.end(), command->options.begin(), command->options.end());
    }
    return known;
}

// The help: the commands with their help lines, the lines' escapes, the options and the
// exit codes, in the run's language.
std::string usage(Language language) {
    std::string text = std::string(Bilingual{"Usage: orbisk-cli [--catalog FILE] COMMAND "
                                             "[ARGUMENTS]\n\nCommands:\n",
                                             "使い方: orbisk-cli [--catalog FILE] COMMAND "
                                             "[ARGUMENTS]\n\nコマンド:\n"}
                                       .in(language));
    for (const Command* command : Commands()) {
        text += HelpEntry(std::string(command->name) + (command->arguments.empty() ? "" : " ") +
                              std::string(command->arguments),
                          command->help.in(language));
    }
    text +=
        Bilingual{
            "\nIn lines a backslash is written \"\\\\\", a tab \"\\t\", a line break \"\\n\" and "
            "any other control\ncharacter \"\\xHH\" per byte, so that each line holds its fields "
            "whatever a name holds.\n\nOptions:\n",
            "\n行の中では、バックスラッシュを \"\\\\\"、タブを \"\\t\"、改行を "
            "\"\\n\"、その他の制御文字"
            "を\n1バイトごとに \"\\xHH\" "
            "と書きます。名前が何を含んでいても、1行が1件のフィールドだけを"
            "持ちます。\n\nオプション:\n"}
            .in(language);
    std::vector<HelpedOption> options = ProgramOptions;
    options.insert(options.begin() + 1,
                   HelpedOption{NullOption,
                                {"each field as it is, ended by a NUL byte, instead of lines "
                                 "(find:\npath, title, path in the archive or nothing, for "
                                 "every hit)",
                                 "各フィールドをそのまま書き、行の代わりにNULバイトで終える"
                                 "\n(find: 各ヒットごとにパス、タイトル、書庫内のパスまたは空)"}});
    text += OptionLines(options, language);
    text += Bilingual{"\nExit codes: 0 done, 1 the catalogue or a file could not be read or "
                      "written, 2 the\ncommand line is wrong, 3 find: too many hits, 4 add: "
                      "refused, 5 add: no file to add.\n",
                      "\n終了コード: 0 完了、1 カタログかファイルを読み書きできなかった、"
                      "2 コマンドラインの誤り、\n3 find: ヒットが多すぎる、4 add: 拒否された、"
                      "5 add: 登録するファイルがない。\n"}
                .in(language);
    return text;
}

// Tells why the command line is wrong, then the help; Usage.
int wrongLine(const std::string& why, const CommandLineServices& services) {
    std::fprintf(services.err, "%s\n\n%s", TerminalText(why).c_str(),
                 usage(services.language).c_str());
    return Usage;
}

// Why the line is not one the command takes, or the empty text.
std::string misfit(const Command& command, const CommandLine& line, Language language) {
    const auto takes = [&command](std::string_view name) {
        return name == CatalogOption.name ||
               std::any_of(command.options.begin(), command.options.end(),
                           [name](const OptionSpec& o) { return o.name == name; });
    };
    for (const auto& [name, value] : line.options) {
        if (!takes(name)) {
            return Filled(
                Bilingual{"'{}' takes no option '{}'.", "「{}」にはオプション「{}」はありません。"}
                    .in(language),
                {command.name, name});
        }
    }
    const bool missing = std::any_of(command.required.begin(), command.required.end(),
                                     [&line](const OptionSpec& o) { return !line.has(o); });
    if (line.words.size() != command.words + 1 || missing) {
        return Filled(
            Bilingual{"Wrong arguments for '{}'.", "「{}」の引数が誤っています。"}.in(language),
            {command.name});
    }
    return "";
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, const CommandLineServices& services) {
    const Language language = services.language;
    const CommandLine line = ReadCommandLine(arguments, knownOptions(), language);
    if (!line.error.empty()) {
        return wrongLine(line.error, services);
    }
    std::optional<std::filesystem::path> named;
    if (const auto file = line.value(CatalogOption)) {
        named = *file;
    }
    const auto catalog = ChooseCatalog(named, services.programFolder, services.dataFolder);
    if (line.has(HelpOption) || line.has(VersionOption)) {
        Output output(services.out, false);
        output.text(line.has(HelpOption)
                        ? usage(language) + "\n" + CatalogueInUse(catalog.string(), language) + "\n"
                        : std::string("orbisk-cli ") + ORBISK_VERSION + "\n");
        const std::string reason = output.finish();
        if (reason.empty()) {
            return Done;
        }
        std::fprintf(services.err, "%s\n",
                     TerminalText(StandardOutputFailure(reason, language)).c_str());
        return Failed;
    }
    if (line.words.empty()) {
        return wrongLine(
            std::string(Bilingual{"No command.", "コマンドがありません。"}.in(language)), services);
    }
    const Command* command = FindCommand(line.words.front());
    if (command == nullptr) {
        return wrongLine(
            Filled(Bilingual{"Unknown command '{}'.", "コマンド「{}」はありません。"}.in(language),
                   {line.words.front()}),
            services);
    }
    if (const std::string why = misfit(*command, line, language); !why.empty()) {
        return wrongLine(why, services);
    }
    int status = Failed;
    {
        CommandRun run(services, catalog, line);
        status = command->run(run);
    }
    // The catalogue alone stays, as the windows leave it.
    TidyCatalogFiles(catalog);
    return status;
}

} // namespace orbisk
