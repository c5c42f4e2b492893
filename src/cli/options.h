#pragma once

#include "words.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// One option of a command line.
struct OptionSpec {
    std::string_view name;  // "--catalog"
    std::string_view alias; // "-h", or empty
    std::string_view value; // the name of its value in the help ("FILE"); empty for a flag
};

// An option with its line in a program's help.
struct HelpedOption {
    OptionSpec spec;
    Bilingual help;
};

// The options both programs take, read by the same reader.
inline constexpr OptionSpec CatalogOption{"--catalog", "", "FILE"};
inline constexpr OptionSpec HelpOption{"--help", "-h", ""};
inline constexpr OptionSpec VersionOption{"--version", "-v", ""};
extern const std::vector<HelpedOption> ProgramOptions;

// A command line, read: the options anywhere (by their long names), the other words in
// order, and everything after "--" a word.
struct CommandLine {
    std::vector<std::string> words;
    std::map<std::string, std::string, std::less<>> options; // a flag's value is ""
    // Why the line could not be read (an option no one takes, a value missing), in the
    // program's words; empty when it was read.
    std::string error;

    bool has(const OptionSpec& option) const;
    std::optional<std::string> value(const OptionSpec& option) const;
};

// Reads arguments (without the program's name) knowing the options in known. A value is
// the next argument, or follows "=" in the same one ("--catalog=FILE").
CommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                            std::span<const OptionSpec> known, Language language);

// The help's lines for options: each option and its value, then its help, in columns.
std::string OptionLines(std::span<const HelpedOption> options, Language language);

// A help's entry: head at the left and its help in the second column, the help's lines
// below one another, or starting on the next line where head is too long.
std::string HelpEntry(std::string_view head, std::string_view help);

// "Catalogue in use: FILE", as both programs' help ends.
std::string CatalogueInUse(const std::string& file, Language language);

} // namespace orbisk
