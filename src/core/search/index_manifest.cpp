#include "search/index_state.h"
#include "search/name_index.h"
#include "text/text_fold.h"

#include <chrono>
#include <set>
#include <sstream>
#include <thread>

namespace orbisk {

namespace {

constexpr const char* ManifestName = "manifest";
constexpr const char* ManifestHeading = "orbisk-name-index 1";
// A manifest names at most the 64 segments a catch-up keeps, in a few lines each.
constexpr std::uint64_t MostManifestBytes = 1 << 20;

} // namespace

std::string NameIndex::stamps() const {
    const std::string catalogue = files_.fileStamp(catalogFile_.string());
    if (catalogue.empty()) {
        return "";
    }
    // The engine's own count of the file's changes (its header's change counter and the
    // version it holds good for), which every write outside the write-ahead journal
    // advances: it tells a change that a file system's times miss, or a file system that
    // does not date writes at all (FAT through some FUSE drivers).
    std::string counter;
    if (const auto file = files_.openForReading(catalogFile_.string())) {
        char header[100] = {};
        try {
            if (file->read(0, header, sizeof header) == sizeof header) {
                counter.assign(header + 24, 4);
                counter.append(header + 92, 4);
            }
        } catch (const FileError&) {
            counter.clear();
        }
    }
    std::string hex;
    for (const unsigned char c : counter) {
        static constexpr char Digits[] = "0123456789abcdef";
        hex += Digits[c >> 4];
        hex += Digits[c & 15];
    }
    return catalogue + ":" + hex + "|" + files_.fileStamp(catalogFile_.string() + "-wal");
}

std::chrono::milliseconds NameIndex::unsettledFor() const {
    return std::max(files_.stampUnsettledFor(catalogFile_.string()),
                    files_.stampUnsettledFor(catalogFile_.string() + "-wal"));
}

bool NameIndex::waitUntilSettled(const std::function<bool()>& keepGoing) const {
    // A step is two seconds at most; times further ahead of the clock are not waited for.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (auto wait = unsettledFor();
         wait > std::chrono::milliseconds(0) && std::chrono::steady_clock::now() + wait < until;
         wait = unsettledFor()) {
        if (keepGoing && !keepGoing()) {
            return false;
        }
        std::this_thread::sleep_for(std::min(wait, std::chrono::milliseconds(100)));
    }
    return true;
}

std::shared_ptr<const NameIndex::State> NameIndex::load(bool wholly) const {
    const auto manifest = files_.openForReading((folder_ / ManifestName).string());
    if (!manifest || manifest->size() > MostManifestBytes) {
        return nullptr;
    }
    std::string text(static_cast<std::size_t>(manifest->size()), '\0');
    if (manifest->read(0, text.data(), text.size()) != text.size()) {
        return nullptr;
    }
    std::istringstream in{text};
    std::string line;
    auto state = std::make_shared<State>();
    if (!std::getline(in, line) ||
        line != ManifestHeading + std::string(" fold ") + std::to_string(FoldRuleVersion)) {
        return nullptr;
    }
    bool ended = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "stamps") {
            std::getline(words >> std::ws, state->stamps);
        } else if (word == "segment") {
            ListedSegment listed;
            std::uint32_t kind = 0;
            words >> kind >> listed.file >> listed.summary.firstRow >> listed.summary.lastRow >>
                listed.summary.rows >> listed.summary.digest.first >>
                listed.summary.digest.second >> listed.summary.checksum;
            listed.summary.kind = static_cast<IndexKind>(kind);
            if (!words || listed.file.find('/') != std::string::npos) {
                return nullptr;
            }
            state->listed.push_back(listed);
        } else if (word == "end") {
            ended = true;
        }
    }
    if (!ended) {
        return nullptr;
    }
    try {
        for (const ListedSegment& listed : state->listed) {
            const std::string path = (folder_ / listed.file).string();
            state->segmentLooks.push_back(files_.fileStamp(path));
            auto file = files_.openForReading(path);
            if (!file) {
                return nullptr;
            }
            auto segment = std::make_shared<const Segment>(std::move(file));
            const SegmentSummary& s = segment->summary();
            if (s.kind != listed.summary.kind || s.rows != listed.summary.rows ||
                s.firstRow != listed.summary.firstRow || s.lastRow != listed.summary.lastRow ||
                !(s.digest == listed.summary.digest) || s.checksum != listed.summary.checksum ||
                (wholly && !segment->intact())) {
                return nullptr;
            }
            state->segments.push_back(std::move(segment));
        }
    } catch (const IndexDamaged&) {
        return nullptr;
    }
    return state;
}

void NameIndex::save(const State& state) {
    std::string text = ManifestHeading + std::string(" fold ") + std::to_string(FoldRuleVersion) +
                       "\nstamps " + state.stamps + "\n";
    for (const ListedSegment& listed : state.listed) {
        const SegmentSummary& s = listed.summary;
        text += "segment " + std::to_string(static_cast<std::uint32_t>(s.kind)) + " " +
                listed.file + " " + std::to_string(s.firstRow) + " " + std::to_string(s.lastRow) +
                " " + std::to_string(s.rows) + " " + std::to_string(s.digest.first) + " " +
                std::to_string(s.digest.second) + " " + std::to_string(s.checksum) + "\n";
    }
    text += "end\n";
    auto manifest = files_.replaceFile((folder_ / ManifestName).string());
    manifest->write(text);
    manifest->commit();
    // What no manifest names any more: segments replaced, and the index of an older
    // version of the program beside this one.
    std::set<std::string> kept;
    for (const ListedSegment& listed : state.listed) {
        kept.insert(listed.file);
    }
    for (const std::string& name : files_.folderEntries(folder_.string())) {
        if (name.rfind("seg-", 0) == 0 && kept.count(name) == 0) {
            files_.removeFile((folder_ / name).string());
        }
    }
}

bool NameIndex::check() {
    try {
        const std::string now = stamps();
        auto state = load(true);
        if (!state || now.empty() || state->stamps != now) {
            return false;
        }
        const std::lock_guard lock(mutex_);
        trusted_ = std::move(state);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace orbisk
