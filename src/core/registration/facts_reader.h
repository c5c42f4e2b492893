#pragma once

#include "platform/file_system.h"
#include "platform/number_format.h"

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {

// What a registration learns of one file: its size and date, and its size as the
// catalogue keeps it; or that its folder could no longer be read (a disc pulled, the folder
// removed since the walk listed it), with why.
struct ReadFacts {
    FileFacts facts;
    std::string sizeText;
    std::optional<FolderFailure> folderLost;
};

// Reads the sizes and dates of a registration's files on a second thread, a little ahead of
// the rows being stored, so that asking the disk and writing the catalogue overlap. Each
// file is still asked after the walk: a file gone by then is an error, a folder gone by
// then is told of its files.
class FactsReader {
public:
    FactsReader(const FileSystem& files, const NumberFormat& numbers,
                const std::vector<std::string>& paths);
    // Stops reading and waits for the thread.
    ~FactsReader();
    FactsReader(const FactsReader&) = delete;
    FactsReader& operator=(const FactsReader&) = delete;

    // What was read of paths[index], waiting for it if need be; throws FileError where
    // asking the file failed.
    ReadFacts facts(std::size_t index);

private:
    struct Read {
        ReadFacts facts;
        MessageLines failure; // the reason, where asking failed
    };

    std::vector<Read> read_;
    std::atomic<std::size_t> ready_{0}; // read_[0, ready_) are read
    std::jthread reader_;
};

} // namespace orbisk
