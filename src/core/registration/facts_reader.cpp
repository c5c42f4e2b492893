#include "registration/facts_reader.h"

#include "catalog/size_text.h"

namespace orbisk {

namespace {

// The reader hands files over in runs of this many: telling the waiting thread after every
// file would cost more than asking the file.
constexpr std::size_t Run = 256;

} // namespace

FactsReader::FactsReader(const FileSystem& files, const NumberFormat& numbers,
                         const std::vector<std::string>& paths)
    : read_(paths.size()) {
    reader_ = std::jthread([this, &files, &numbers, &paths](std::stop_token stop) {
        const char separator = files.separator();
        std::string_view heldPath;
        std::unique_ptr<OpenFolder> held;
        FolderFailure lost; // of the folder at heldPath, when it cannot be opened
        std::size_t i = 0;
        for (; i < paths.size() && !stop.stop_requested(); ++i) {
            const std::string& path = paths[i];
            const auto cut = path.rfind(separator);
            bool failed = false;
            try {
                const std::string_view folder(path.data(), cut == std::string::npos ? 0 : cut);
                if (cut == std::string::npos) {
                    held.reset();
                    lost = {};
                } else if ((!held && lost.reason.empty()) || folder != heldPath) {
                    heldPath = folder;
                    held = files.openFolder(std::string(folder));
                    lost = held ? FolderFailure{} : files.folderFailure(std::string(folder));
                }
                if (!lost.reason.empty()) {
                    read_[i].facts.folderLost = lost;
                } else {
                    read_[i].facts.facts =
                        held ? held->fileFacts(path.substr(cut + 1)) : files.fileFacts(path);
                    read_[i].facts.sizeText = SizeText(read_[i].facts.facts.bytes, numbers);
                }
            } catch (const std::exception& error) {
                read_[i].failure = ReasonOf(error);
                failed = true;
            }
            if (failed || (i + 1) % Run == 0) {
                ready_.store(i + 1, std::memory_order_release);
                ready_.notify_one();
            }
            if (failed) {
                return; // the registration ends at this file
            }
        }
        ready_.store(i, std::memory_order_release);
        ready_.notify_one();
    });
}

FactsReader::~FactsReader() {
    reader_.request_stop();
    reader_.join();
}

ReadFacts FactsReader::facts(std::size_t index) {
    for (std::size_t ready; (ready = ready_.load(std::memory_order_acquire)) <= index;) {
        ready_.wait(ready, std::memory_order_acquire);
    }
    Read& read = read_[index];
    if (!read.failure.empty()) {
        throw FileError(read.failure);
    }
    return std::move(read.facts);
}

} // namespace orbisk
