#include "options.h"

#include <algorithm>

namespace orbisk {

namespace {

// Where the help of an entry starts.
constexpr std::size_t HelpColumn = 21;

const OptionSpec* find(std::span<const OptionSpec> known, std::string_view argument) {
    const auto option = std::find_if(known.begin(), known.end(), [argument](const auto& o) {
        return o.name == argument || (!o.alias.empty() && o.alias == argument);
    });
    return option == known.end() ? nullptr : &*option;
}

} // namespace

const std::vector<HelpedOption> ProgramOptions = {
    {CatalogOption, {"use the catalogue FILE", "カタログ FILE を使う"}},
    {HelpOption,
     {"show this help and the catalogue in use", "このヘルプと使用中のカタログを表示する"}},
    {VersionOption, {"show the version", "バージョンを表示する"}},
};

bool CommandLine::has(const OptionSpec& option) const {
    return options.find(option.name) != options.end();
}

std::optional<std::string> CommandLine::value(const OptionSpec& option) const {
    const auto found = options.find(option.name);
    return found == options.end() ? std::nullopt : std::optional<std::string>(found->second);
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                            std::span<const OptionSpec> known, Language language) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            line.words.insert(line.words.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            line.words.push_back(argument);
            continue;
        }
        const auto equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
        const std::string name = argument.substr(0, equals);
        const OptionSpec* option = find(known, name);
        if (option == nullptr || (equals != std::string::npos && option->value.empty())) {
            line.error = Filled(
                Bilingual{"Unknown option '{}'.", "オプション「{}」はありません。"}.in(language),
                {argument});
            return line;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (!option->value.empty()) {
            if (i + 1 == arguments.size()) {
                line.error = Filled(
                    Bilingual{"Missing value after '{}'.", "「{}」の後に値がありません。"}.in(
                        language),
                    {argument});
                return line;
            }
            value = arguments[++i];
        }
        line.options[std::string(option->name)] = value;
    }
    return line;
}

std::string HelpEntry(std::string_view head, std::string_view help) {
    std::string entry = "  " + std::string(head);
    entry += entry.size() + 2 <= HelpColumn ? std::string(HelpColumn - entry.size(), ' ')
                                            : "\n" + std::string(HelpColumn, ' ');
    for (const char c : help) {
        entry += c;
        if (c == '\n') {
            entry += std::string(HelpColumn, ' ');
        }
    }
    return entry + "\n";
}

std::string OptionLines(std::span<const HelpedOption> options, Language language) {
    std::string lines;
    for (const HelpedOption& option : options) {
        std::string head = option.spec.alias.empty() ? "" : std::string(option.spec.alias) + ", ";
        head += option.spec.name;
        if (!option.spec.value.empty()) {
            head += " " + std::string(option.spec.value);
        }
        lines += HelpEntry(head, option.help.in(language));
    }
    return lines;
}

std::string CatalogueInUse(const std::string& file, Language language) {
    return Filled(Bilingual{"Catalogue in use: {}", "使用中のカタログ: {}"}.in(language), {file});
}

} // namespace orbisk
