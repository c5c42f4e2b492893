#pragma once

#include <filesystem>
#include <string>

namespace orbisk::testing {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes a file (and the folders above it) under this folder.
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// Creates an empty catalogue in dir and returns its path.
std::filesystem::path newCatalog(const TempDir& dir);

} // namespace orbisk::testing
