#include "registration/facts_reader.h"

#include "registration/size_text.h"

namespace orbisk {

FactsReader::FactsReader(const FileSystem& files, const NumberFormat& numbers,
                         const std::vector<std::string>& paths)
    : read_(paths.size()) {
    reader_ = std::jthread([this, &files, &numbers, &paths](std::stop_token stop) {
        for (std::size_t i = 0; i < paths.size() && !stop.stop_requested(); ++i) {
            bool failed = false;
            try {
                read_[i].facts.facts = files.fileFacts(paths[i]);
                read_[i].facts.sizeText = SizeText(read_[i].facts.facts.bytes, numbers);
            } catch (const std::exception& error) {
                read_[i].failure = error.what();
                failed = true;
            }
            ready_.store(i + 1, std::memory_order_release);
            ready_.notify_one();
            if (failed) {
                break; // the registration ends at this file
            }
        }
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
