#include "command_line.h"

#include "catalog/catalog.h"
#include "catalog/catalog_place.h"
#include "catalog/title_list.h"
#include "edit/disc_store.h"
#include "edit/edit_commands.h"
#include "json.h"
#include "media/registered_discs.h"
#include "output.h"
#include "platform/platform.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "terminal.h"
#include "text/display_text.h"

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace orbisk {

namespace {

const std::string StandardOutputFailure = "標準出力に書き込めませんでした。";

constexpr const char* UsageText = R"(Usage: orbisk-cli [--catalog FILE] COMMAND [ARGUMENTS]

Commands:
  find KEY [--title TITLE] [--json | -0]
                     the catalogued files whose name matches KEY ("*" any run, "?" one
                     character, "#" one digit, "[a-z]" and "[!a-z]" classes), on every
                     disc or on TITLE's; one line per hit: path, a tab, title, and for a
                     file packed in an archive a tab and its path in the archive
  titles [-0]        every registered title, one per line
  discs [-0]         every disc: title, registrations, files, kilobytes, dates (tabs)
  export [--title TITLE] FILE
                     the catalogue, or one title, as CSV; FILE "-" is standard output
  add FOLDER --title TITLE [--yes]
                     registers the disc mounted at FOLDER (any folder) under TITLE;
                     --yes answers yes to a question (a disc registered before)
  index              brings the name index of the catalogue up to date (find uses it
                     while nothing has changed the catalogue since; add keeps it so)

In lines a backslash is written "\\", a tab "\t", a line break "\n" and any other control
character "\xHH" per byte, so that each line holds its fields whatever a name holds.

Options:
  --catalog FILE     use the catalogue FILE
  -0, --null         each field as it is, ended by a NUL byte, instead of lines (find:
                     path, title, path in the archive or nothing, for every hit)
  -h, --help         show this help and the catalogue in use
  -v, --version      show the version

Exit codes: 0 done, 1 the catalogue or a file could not be read or written, 2 the
command line is wrong, 3 find: too many hits, 4 add: refused, 5 add: no file to add.
)";

// The command line, read: options anywhere, the rest in order.
struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> options; // --name -> value ("" for a flag)
    std::string error;
};

Arguments read(const std::vector<std::string>& arguments) {
    static const std::map<std::string, bool> known = {
        {"--catalog", true}, {"--title", true}, {"--json", false},    {"--yes", false},
        {"--help", false},   {"-h", false},     {"--version", false}, {"-v", false},
        {"--null", false},   {"-0", false}};
    Arguments read;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            read.words.insert(read.words.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            read.words.push_back(argument);
            continue;
        }
        const auto option = known.find(argument);
        if (option == known.end()) {
            read.error = "Unknown option '" + argument + "'.";
            return read;
        }
        std::string value;
        if (option->second) {
            if (i + 1 == arguments.size()) {
                read.error = "Missing value after '" + argument + "'.";
                return read;
            }
            value = arguments[++i];
        }
        read.options[argument] = value;
    }
    return read;
}

class Commands {
public:
    Commands(const CommandLineServices& services, std::filesystem::path catalog, bool yes,
             bool nulls)
        : s_(services), catalog_(std::move(catalog)), nulls_(nulls),
          terminal_(services.err, services.japanese, yes), platform_{
                                                               services.files, tray_,
                                                               terminal_,      events_,
                                                               services.clock, services.numbers} {}

    int find(const std::string& key, const std::optional<std::string>& title, bool json);
    int titles();
    int discs();
    int exportCsv(const std::string& file, const std::optional<std::string>& title);
    int add(const std::string& folder, const std::string& title);
    int index();

private:
    int failed(const std::string& reason) {
        terminal_.message(CatalogOpenFailure(catalog_, reason), "", Buttons::Ok);
        return Failed;
    }
    std::filesystem::path indexFolder() const { return IndexFolderFor(catalog_, s_.cacheFolder); }
    // status, unless the output could not all be written.
    int written(Output& output, int status) {
        const std::string reason = output.finish();
        if (reason.empty()) {
            return status;
        }
        terminal_.message(StandardOutputFailure + reason, "", Buttons::Ok);
        return Failed;
    }

    const CommandLineServices& s_;
    std::filesystem::path catalog_;
    bool nulls_;
    StillTray tray_;
    NoEvents events_;
    TerminalDialogs terminal_;
    Platform platform_;
};

int Commands::find(const std::string& key, const std::optional<std::string>& title, bool json) {
    NameIndex names(indexFolder(), catalog_, s_.files);
    // The index answers when it is in step with the catalogue as it is; else the search
    // scans, as the windows' search does while their index is brought up to date.
    names.check();
    const Search search = SearchCatalog(catalog_, &names, key, title.value_or(AllTitles));
    if (search.end == Search::End::Failed) {
        return failed(search.reason);
    }
    if (search.end == Search::End::TooMany) {
        terminal_.message(TooManyHitsMessage, TooManyHitsTitle, Buttons::Ok);
        return TooMany;
    }
    Output output(s_.out, nulls_ && !json);
    if (json) {
        std::string text = "[";
        const char* comma = "\n";
        RegisteredDiscs registered(catalog_);
        for (const Hit& hit : search.hits) {
            // A packed file: path is its archive's, member its path inside, and the sizes its
            // own. Sizes are numbers: the kilobytes as the catalogue keeps them, and the bytes
            // where the registration kept them.
            const HitSize size = SizeOfHit(hit, registered);
            const std::string member =
                hit.member == 0 ? "" : ", \"member\": " + JsonString(DisplayText(hit.memberPath));
            const auto number = [](const auto& value) {
                return value ? std::to_string(*value) : std::string("null");
            };
            text += comma;
            text += "  {\"path\": " + JsonString(DisplayText(hit.path)) +
                    ", \"name\": " + JsonString(DisplayText(hit.name)) +
                    ", \"title\": " + JsonString(DisplayText(hit.title)) +
                    ", \"size\": " + number(size.kilobytes) + ", \"bytes\": " + number(size.bytes) +
                    member + "}";
            comma = ",\n";
        }
        text += search.hits.empty() ? "]\n" : "\n]\n";
        output.text(text);
        return written(output, Done);
    }
    // The path's own bytes (escaped, where a line would not hold them), so that a script
    // can open the file; a packed file adds its path inside the archive. NUL-ended fields
    // give every hit all three.
    for (const Hit& hit : search.hits) {
        if (hit.member != 0 || nulls_) {
            output.record({hit.path, hit.title, hit.memberPath});
        } else {
            output.record({hit.path, hit.title});
        }
    }
    return written(output, Done);
}

int Commands::titles() {
    Output output(s_.out, nulls_);
    try {
        for (const std::string& title : ReadTitles(catalog_)) {
            output.record({title});
        }
    } catch (const std::exception& error) {
        return failed(error.what());
    }
    return written(output, Done);
}

int Commands::discs() {
    Output output(s_.out, nulls_);
    try {
        for (const DiscFigures& disc : ReadDiscFigures(catalog_)) {
            std::string dates;
            for (const std::string& date : disc.dates) {
                dates += (dates.empty() ? "" : ", ") + date;
            }
            output.record({disc.title, s_.numbers.grouped(disc.registrations),
                           s_.numbers.grouped(disc.files), s_.numbers.grouped(disc.kilobytes),
                           dates});
        }
    } catch (const std::exception& error) {
        return failed(error.what());
    }
    return written(output, Done);
}

// Standard output as the file an export writes.
class StandardOutput : public FileWriter {
public:
    explicit StandardOutput(std::FILE* out) : output_(out, false) {}
    void write(std::string_view bytes) override { output_.text(bytes); }
    void commit() override {
        const std::string reason = output_.finish();
        if (!reason.empty()) {
            throw FileError(StandardOutputFailure + reason);
        }
    }

private:
    Output output_;
};

int Commands::exportCsv(const std::string& file, const std::optional<std::string>& title) {
    try {
        std::unique_ptr<FileWriter> writer =
            file == "-" ? std::make_unique<StandardOutput>(s_.out) : s_.files.createFile(file);
        WriteCsv(catalog_, title, *writer);
    } catch (const std::exception& error) {
        terminal_.message(std::string("CSVファイルを保存できませんでした。\n") + error.what(), "",
                          Buttons::Ok);
        return Failed;
    }
    return Done;
}

int Commands::add(const std::string& folder, const std::string& title) {
    // The disc's paths are stored from the folder's full path, as a drive list gives it.
    std::error_code error;
    std::string drive = std::filesystem::absolute(folder, error).lexically_normal().string();
    while (drive.size() > 1 && drive.back() == '/') {
        drive.pop_back();
    }
    Registration done = Registration::Failed;
    {
        TerminalProgress progress(terminal_);
        done = RegisterDisc(platform_, catalog_, drive, title, progress);
    }
    switch (done) {
    case Registration::Registered:
        // The next search finds the disc's files through the index.
        NameIndex(indexFolder(), catalog_, s_.files).update();
        return Done;
    case Registration::Refused:
        return Refused;
    case Registration::Empty:
        return NothingToAdd;
    case Registration::Failed:
    case Registration::Stopped: // no stop is asked here
        break;
    }
    return Failed;
}

int Commands::index() {
    NameIndex names(indexFolder(), catalog_, s_.files);
    names.update([this](std::int64_t done, std::int64_t total) {
        terminal_.progress("Orbisk[" + std::to_string(total > 0 ? done * 100 / total : 100) +
                           "%]索引を作成中...");
    });
    terminal_.endProgress();
    if (!names.check()) {
        terminal_.message("索引を作成できませんでした。", "", Buttons::Ok);
        return Failed;
    }
    return Done;
}

using Option = std::function<std::optional<std::string>(const char*)>;

int runCommand(Commands& commands, const std::vector<std::string>& w, const Option& option,
               std::FILE* err) {
    const auto wrong = [err](const std::string& why) {
        std::fprintf(err, "%s\n\n%s", why.c_str(), UsageText);
        return Usage;
    };
    if (w.empty()) {
        return wrong("No command.");
    }
    const std::string& command = w[0];
    if (command == "find" && w.size() == 2) {
        return commands.find(w[1], option("--title"), option("--json").has_value());
    }
    if (command == "titles" && w.size() == 1) {
        return commands.titles();
    }
    if (command == "discs" && w.size() == 1) {
        return commands.discs();
    }
    if (command == "export" && w.size() == 2) {
        return commands.exportCsv(w[1], option("--title"));
    }
    if (command == "add" && w.size() == 2 && option("--title")) {
        return commands.add(w[1], *option("--title"));
    }
    if (command == "index" && w.size() == 1) {
        return commands.index();
    }
    const std::set<std::string> known = {"find", "titles", "discs", "export", "add", "index"};
    return wrong(known.count(command) != 0 ? "Wrong arguments for '" + command + "'."
                                           : "Unknown command '" + command + "'.");
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, const CommandLineServices& services) {
    const Arguments args = read(arguments);
    if (!args.error.empty()) {
        std::fprintf(services.err, "%s\n\n%s", args.error.c_str(), UsageText);
        return Usage;
    }
    const Option option = [&args](const char* name) -> std::optional<std::string> {
        const auto found = args.options.find(name);
        return found == args.options.end() ? std::nullopt
                                           : std::optional<std::string>(found->second);
    };
    std::optional<std::filesystem::path> named;
    if (const auto file = option("--catalog")) {
        named = *file;
    }
    const auto chosen = ChooseCatalog(named, services.programFolder, services.dataFolder);
    const bool help = option("--help") || option("-h");
    if (help || option("--version") || option("-v")) {
        Output output(services.out, false);
        output.text(help ? std::string(UsageText) + "\nCatalogue in use: " + chosen.string() + "\n"
                         : std::string("orbisk-cli ") + ORBISK_VERSION + "\n");
        const std::string reason = output.finish();
        if (reason.empty()) {
            return Done;
        }
        std::fprintf(services.err, "%s\n",
                     TerminalDialogs(services.err, services.japanese, false)
                         .said(StandardOutputFailure + reason)
                         .c_str());
        return Failed;
    }
    Commands commands(services, chosen, option("--yes").has_value(),
                      option("--null") || option("-0"));
    const int status = runCommand(commands, args.words, option, services.err);
    // The catalogue alone stays, as the windows leave it.
    TidyCatalogFiles(chosen);
    return status;
}

} // namespace orbisk
