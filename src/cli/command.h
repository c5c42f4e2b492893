#pragma once

#include "command_line.h"
#include "options.h"
#include "output.h"
#include "platform/platform.h"
#include "terminal.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

class CommandRun;

// One command of orbisk-cli: its name, what it takes, its help in both languages, and
// what it does. A new command is a file of its own that defines one of these, and a line
// in the table of commands.
struct Command {
    std::string_view name;
    // Its words and options as the help shows them: "KEY [--title TITLE] [--json | -0]".
    std::string_view arguments;
    // What it does, as the help says it under or beside its name; "\n" breaks its lines.
    Bilingual help;
    // How many words it takes after its name.
    std::size_t words = 0;
    // The options it takes, beside --catalog; and those of them it cannot do without.
    std::vector<OptionSpec> options;
    std::vector<OptionSpec> required;
    // Runs it; the exit code.
    int (*run)(CommandRun& run) = nullptr;
};

// Options more than one command takes.
inline constexpr OptionSpec TitleOption{"--title", "", "TITLE"};
inline constexpr OptionSpec NullOption{"--null", "-0", ""};
inline constexpr OptionSpec JsonOption{"--json", "", ""};
// Answers yes to a question the command would ask (a disc registered before).
inline constexpr OptionSpec YesOption{"--yes", "", ""};

// What a command runs with: the services, the catalogue in use, its words and options,
// and the terminal it tells the user on, in the run's language.
class CommandRun {
public:
    CommandRun(const CommandLineServices& services, std::filesystem::path catalog,
               const CommandLine& line);

    const CommandLineServices& services() const { return services_; }
    const std::filesystem::path& catalog() const { return catalog_; }
    // The words after the command's name.
    const std::vector<std::string>& words() const { return words_; }
    bool has(const OptionSpec& option) const { return line_.has(option); }
    std::optional<std::string> value(const OptionSpec& option) const { return line_.value(option); }
    Language language() const { return terminal_.language(); }
    TerminalDialogs& terminal() { return terminal_; }
    Platform platform() { return platform_; }
    std::filesystem::path indexFolder() const;
    // orbisk-cli's own words in the run's language, each "{}" filled with the next value.
    std::string said(const Bilingual& text, std::initializer_list<std::string_view> values = {});

    // Says that the catalogue could not be read, and why; Failed.
    int catalogFailed(const std::exception& error);
    // status, unless output could not all be written: then that is said, and Failed.
    int written(Output& output, int status);

private:
    const CommandLineServices& services_;
    std::filesystem::path catalog_;
    const CommandLine& line_;
    std::vector<std::string> words_;
    StillTray tray_;
    TerminalDialogs terminal_;
    Platform platform_;
};

// What orbisk-cli says when standard output could not be written whole.
std::string StandardOutputFailure(const std::string& reason, Language language);

} // namespace orbisk
