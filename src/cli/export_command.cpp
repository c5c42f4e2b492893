// export: the catalogue, or one title's rows, as CSV.
#include "command.h"
#include "edit/edit_commands.h"

namespace orbisk {

namespace {

// Standard output as the file an export writes.
class StandardOutput : public FileWriter {
public:
    StandardOutput(std::FILE* out, Language language) : output_(out, false), language_(language) {}
    void write(std::string_view bytes) override { output_.text(bytes); }
    void commit() override {
        const std::string reason = output_.finish();
        if (!reason.empty()) {
            throw FileError(StandardOutputFailure(reason, language_));
        }
    }

private:
    Output output_;
    Language language_;
};

int run(CommandRun& run) {
    const std::string& file = run.words()[0];
    try {
        std::unique_ptr<FileWriter> writer =
            file == "-" ? std::make_unique<StandardOutput>(run.services().out, run.language())
                        : run.services().files.createFile(file);
        WriteCsv(run.catalog(), run.value(TitleOption), *writer);
    } catch (const std::exception& error) {
        run.terminal().tell(Then({{MessageId::CsvNotSaved, {}}}, ReasonOf(error)));
        return Failed;
    }
    return Done;
}

} // namespace

extern const Command ExportCommand;
const Command ExportCommand{
    "export",
    "[--title TITLE] FILE",
    {"the catalogue, or one title, as CSV; FILE \"-\" is standard output",
     "カタログ、または1つのタイトルをCSVで書き出す。FILE が \"-\" なら標準出力"},
    1,
    {TitleOption},
    {},
    run,
};

} // namespace orbisk
