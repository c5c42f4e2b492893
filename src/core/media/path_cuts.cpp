#include "media/path_cuts.h"

#include <filesystem>

namespace orbisk {

namespace {

// Separators are ASCII, and no byte of a multibyte UTF-8 character is ASCII, so the last
// matching byte is the last matching character.
std::string afterLast(std::string_view text, char mark) {
    const auto at = text.rfind(mark);
    return std::string(at == std::string_view::npos ? text : text.substr(at + 1));
}

} // namespace

std::string GetFileName(std::string_view path, char separator) {
    return afterLast(path, separator);
}

std::string GetExtension(std::string_view name) {
    return afterLast(name, '.');
}

std::string FolderAsDrive(const std::string& folder) {
    std::error_code error;
    std::string drive = std::filesystem::absolute(folder, error).lexically_normal().string();
    if (error) {
        return "";
    }
    while (drive.size() > 1 && drive.back() == '/') {
        drive.pop_back();
    }
    return drive;
}

} // namespace orbisk
