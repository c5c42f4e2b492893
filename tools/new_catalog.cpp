// Creates an empty catalogue: orbisk-new-catalog FILE. Refuses to touch an existing file.
#include "catalog/catalog.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* UsageText =
    "Usage: orbisk-new-catalog FILE\n"
    "Creates an empty Orbisk catalogue in FILE, a name nothing holds yet.\n\n"
    "Options:\n"
    "  -h, --help     show this help\n"
    "  -v, --version  show the version\n\n"
    "Exit codes: 0 created, 1 not created (the reason on standard error), 2 the command\n"
    "line is wrong. A FILE that starts with \"-\" is written ./-FILE.\n";

} // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "-h" || first == "--help")) {
        std::cout << UsageText;
        return 0;
    }
    if (argc == 2 && (first == "-v" || first == "--version")) {
        std::cout << "orbisk-new-catalog " << ORBISK_VERSION << '\n';
        return 0;
    }
    if (argc != 2 || first.empty() || first[0] == '-') {
        std::cerr << (argc == 2 && !first.empty() ? "Unknown option '" + first + "'.\n\n" : "")
                  << UsageText;
        return 2;
    }
    try {
        orbisk::Catalog::create(first);
    } catch (const std::exception& error) {
        std::cerr << first << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
