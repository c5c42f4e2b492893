#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace orbisk::testing {

using Lines = std::vector<std::string>;

// Everything the scripted platform and the recorded windows were asked to do, in order.
struct Transcript {
    std::vector<std::string> lines;
    // Called with each line as it is added: a test acts at a chosen step of a command.
    std::function<void(const std::string& line)> onAdd;

    void add(std::string line) {
        lines.push_back(std::move(line));
        if (onAdd) {
            onAdd(lines.back());
        }
    }
    // The lines that start with prefix, in order.
    std::vector<std::string> only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& line : lines) {
            if (line.rfind(prefix, 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
    }
    std::size_t count(const std::string& line) const {
        std::size_t n = 0;
        for (const auto& l : lines) {
            n += l == line ? 1 : 0;
        }
        return n;
    }
};

// Lines of the parts joined in order.
inline Lines concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace orbisk::testing
