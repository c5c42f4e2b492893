#include "support/command_line_fixture.h"

#include <cstdio>

namespace orbisk::testing {

namespace {

// All that was written to a temporary stream; the stream is closed.
std::string contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

} // namespace

CommandLineFixture::Said CommandLineFixture::run(std::vector<std::string> arguments,
                                                 Language language) {
    arguments.insert(arguments.begin(), {"--catalog", catalog.string()});
    return runBare(arguments, language);
}

CommandLineFixture::Said CommandLineFixture::runBare(const std::vector<std::string>& arguments,
                                                     Language language) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const CommandLineServices services{files(),       clock,    numbers, dir / "bin", dir / "data",
                                       dir / "cache", language, out,     err};
    Said said;
    said.status = RunCommandLine(arguments, services);
    said.out = contents(out);
    said.err = contents(err);
    return said;
}

} // namespace orbisk::testing
