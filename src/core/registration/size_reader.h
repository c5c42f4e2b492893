#pragma once

#include "platform/file_system.h"
#include "platform/number_format.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {

// Reads the sizes of a registration's files on a second thread, a little ahead of the rows
// being stored, so that asking the disk for sizes and writing the catalogue overlap. Each
// size is still read from the file itself, after the walk: a file gone by then is an error.
class SizeReader {
public:
    SizeReader(const FileSystem& files, const NumberFormat& numbers,
               const std::vector<std::string>& paths);
    // Stops reading and waits for the thread.
    ~SizeReader();
    SizeReader(const SizeReader&) = delete;
    SizeReader& operator=(const SizeReader&) = delete;

    // The size of paths[index] as the catalogue keeps it, waiting for it if need be;
    // throws FileError where reading the size failed.
    std::string sizeText(std::size_t index);

private:
    struct Size {
        std::string text;
        std::string failure; // the reason, where reading failed
    };

    std::vector<Size> sizes_;
    std::atomic<std::size_t> ready_{0}; // sizes_[0, ready_) are read
    std::jthread reader_;
};

} // namespace orbisk
