#include "support/shell.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace orbisk::testing {

bool RunQuietly(const std::string& command) {
    // In a subshell, so that the silence covers every command of a list.
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

std::string OutputOf(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            text += buffer.data();
        }
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool HasProgram(const std::string& name) {
    return RunQuietly("command -v " + name);
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace orbisk::testing
