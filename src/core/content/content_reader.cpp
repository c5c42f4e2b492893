#include "content/content_reader.h"

#include "platform/read_error.h"

#include <algorithm>

namespace orbisk {

ContentReader::ContentReader(ReadCounters& counters, std::stop_token stop)
    : counters_(counters), stop_(std::move(stop)), buffer_(BlockBytes) {}

ContentRead ContentReader::read(ReadableFile& file) {
    ContentRead result;
    result.expectedBytes = file.size();
    ContentHasher hasher;
    const auto failed = [&](const FileError& error, std::size_t goodBytes) {
        result.end = ContentRead::End::Unreadable;
        result.reason = error.reason();
        result.bytesRead += goodBytes;
        counters_.bytes += goodBytes;
        ++counters_.files;
        return result;
    };
    // Whole blocks up to the size the file had when opened, then one byte past it, which
    // tells a file that grew meanwhile.
    for (;;) {
        if (stop_.stop_requested()) {
            result.end = ContentRead::End::Cancelled;
            return result;
        }
        const std::uint64_t left = result.expectedBytes - result.bytesRead;
        const std::size_t wanted =
            left == 0 ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(left, BlockBytes));
        std::size_t got = 0;
        try {
            got = file.read(result.bytesRead, buffer_.data(), wanted);
        } catch (const ReadError& error) {
            return failed(error, std::min(error.goodBytes(), wanted));
        } catch (const FileError& error) {
            return failed(error, 0);
        }
        result.bytesRead += got;
        counters_.bytes += got;
        if (left == 0) {
            result.end = got == 0 ? ContentRead::End::Read : ContentRead::End::Longer;
            break;
        }
        hasher.add(buffer_.data(), got);
        if (got < wanted) {
            result.end = ContentRead::End::Shorter;
            break;
        }
    }
    if (result.end == ContentRead::End::Read) {
        result.fingerprint = hasher.fingerprint();
    }
    ++counters_.files;
    return result;
}

} // namespace orbisk
