#include "bench_support.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace orbisk::bench {

std::filesystem::path dataFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "orbisk-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path fileTree(const std::string& name, int files, int folders,
                               std::size_t fileSize) {
    const auto root = dataFolder() / name;
    const auto done = dataFolder() / (name + ".done");
    if (std::filesystem::exists(done)) {
        return root;
    }
    std::filesystem::remove_all(root);
    const std::string content(fileSize, 'x');
    const int perFolder = files / folders;
    for (int f = 0; f < folders; ++f) {
        // Two levels: groups of 50 folders, as a disc's tree would nest.
        const auto folder =
            root / ("group" + std::to_string(f / 50)) / ("folder " + std::to_string(f));
        std::filesystem::create_directories(folder);
        for (int i = 0; i < perFolder; ++i) {
            std::ofstream(folder / ("file_" + std::to_string(f * perFolder + i) + ".dat"),
                          std::ios::binary)
                << content;
        }
    }
    std::ofstream(done) << "ok";
    return root;
}

double commandSeconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace orbisk::bench
