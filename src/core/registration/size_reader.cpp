#include "registration/size_reader.h"

#include "registration/size_text.h"

namespace orbisk {

SizeReader::SizeReader(const FileSystem& files, const NumberFormat& numbers,
                       const std::vector<std::string>& paths)
    : sizes_(paths.size()) {
    reader_ = std::jthread([this, &files, &numbers, &paths](std::stop_token stop) {
        for (std::size_t i = 0; i < paths.size() && !stop.stop_requested(); ++i) {
            bool failed = false;
            try {
                sizes_[i].text = SizeText(files.fileSize(paths[i]), numbers);
            } catch (const std::exception& error) {
                sizes_[i].failure = error.what();
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

SizeReader::~SizeReader() {
    reader_.request_stop();
    reader_.join();
}

std::string SizeReader::sizeText(std::size_t index) {
    for (std::size_t ready; (ready = ready_.load(std::memory_order_acquire)) <= index;) {
        ready_.wait(ready, std::memory_order_acquire);
    }
    Size& size = sizes_[index];
    if (!size.failure.empty()) {
        throw FileError(size.failure);
    }
    return std::move(size.text);
}

} // namespace orbisk
