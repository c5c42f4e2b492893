#include "search/name_index.h"

#include "catalog/catalog.h"
#include "catalog/packed_files.h"
#include "catalog/row_reader.h"
#include "search/hit_table.h"
#include "text/text_fold.h"
#include "text/wildcard_pattern.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace orbisk {

namespace {

constexpr const char* ManifestName = "manifest";
constexpr const char* LockName = "lock";
constexpr const char* ManifestHeading = "orbisk-name-index 1";
// Rows per segment: a segment is built in memory, so this bounds what a build takes.
constexpr std::int64_t SegmentRows = 256 * 1024;
// Each registration adds a segment; past this many the index is built anew in few.
constexpr std::size_t MostSegments = 64;
// Rows between two looks at keepGoing and two reports of progress.
constexpr std::int64_t RowsPerBatch = 65536;
// A manifest names at most MostSegments segments in a few lines each.
constexpr std::uint64_t MostManifestBytes = 1 << 20;

struct Listed {
    SegmentSummary summary;
    std::string file;
};

std::string segmentName() {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    char name[48];
    std::snprintf(name, sizeof name, "seg-%08x%08x-%u.idx", entropy(), entropy(), counter++);
    return name;
}

// The trigrams every matching name holds: those of the key's runs of ordinary characters,
// folded and written as the index writes names.
std::vector<std::uint32_t> trigramsOf(const WildcardPattern& pattern) {
    std::vector<std::uint32_t> trigrams;
    for (const std::u32string& run : pattern.literalRuns()) {
        AppendTrigrams(EncodeIndexText(run), trigrams);
    }
    std::sort(trigrams.begin(), trigrams.end());
    trigrams.erase(std::unique(trigrams.begin(), trigrams.end()), trigrams.end());
    return trigrams;
}

} // namespace

struct NameIndex::State {
    std::string stamps; // the catalogue's look when the index was last proved in step
    std::vector<Listed> listed;
    std::vector<std::shared_ptr<const Segment>> segments; // as listed
    // Each segment file's look when it was opened: a file changed in place since then
    // (by anyone: the program only ever writes new files) is not trusted.
    std::vector<std::string> segmentLooks;
};

std::filesystem::path IndexFolderFor(const std::filesystem::path& catalogFile,
                                     const std::filesystem::path& cacheFolder) {
    // FNV-1a over the catalogue's full path.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c :
         std::filesystem::absolute(catalogFile).lexically_normal().string()) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.names", static_cast<unsigned long long>(hash));
    return cacheFolder / name;
}

NameIndex::NameIndex(std::filesystem::path folder, std::filesystem::path catalogFile,
                     FileSystem& files)
    : folder_(std::move(folder)), catalogFile_(std::move(catalogFile)), files_(files) {}

NameIndex::~NameIndex() = default;

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

void NameIndex::distrust() {
    const std::lock_guard lock(mutex_);
    trusted_.reset();
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
            Listed listed;
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
        for (const Listed& listed : state->listed) {
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
    for (const Listed& listed : state.listed) {
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
    for (const Listed& listed : state.listed) {
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

namespace {

// Reads the catalogue's rows in row order and compares them, segment by segment, with
// what the index's segments hold; rows past the last one the index holds go into new
// segments.
class Verification {
public:
    Verification(IndexKind kind, const std::vector<std::shared_ptr<const Segment>>& segments,
                 std::function<void(std::int64_t row, Field name, Field title)> appended)
        : kind_(kind), appended_(std::move(appended)) {
        for (const auto& segment : segments) {
            if (segment->summary().kind == kind) {
                held_.push_back(segment->summary());
            }
        }
    }

    // False once the index is found to differ.
    bool row(std::int64_t row, Field name, Field title) {
        while (at_ < held_.size() && row > held_[at_].lastRow) {
            if (!endSegment()) {
                return false;
            }
        }
        if (at_ == held_.size()) {
            if (row <= lastHeld_) {
                return false;
            }
            appended_(row, name, title);
            return true;
        }
        if (row < held_[at_].firstRow) {
            return false; // a row where the index holds none
        }
        sum_.add(RowDigest(static_cast<int>(kind_), row, name, title));
        ++seen_;
        return true;
    }

    bool finish() {
        while (at_ < held_.size()) {
            if (!endSegment()) {
                return false;
            }
        }
        return true;
    }

private:
    bool endSegment() {
        const SegmentSummary& segment = held_[at_];
        if (seen_ != segment.rows || !(sum_ == segment.digest)) {
            return false;
        }
        lastHeld_ = segment.lastRow;
        ++at_;
        sum_ = {};
        seen_ = 0;
        return true;
    }

    IndexKind kind_;
    std::vector<SegmentSummary> held_;
    std::function<void(std::int64_t, Field, Field)> appended_;
    std::size_t at_ = 0;
    Digest sum_;
    std::int64_t seen_ = 0;
    std::int64_t lastHeld_ = 0;
};

} // namespace

std::shared_ptr<const NameIndex::State>
NameIndex::bringUpToDate(std::shared_ptr<const State> state, const Progress& progress,
                         const std::function<bool()>& keepGoing) {
    Catalog catalog(catalogFile_);
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    const std::int64_t total = LastFileRow(catalog);
    const bool hasMembers = HasPackedFiles(catalog);
    const IndexKind kinds[] = {IndexKind::Files, IndexKind::Members};

    // Twice at most: verifying what the index holds while adding the rows appended, then,
    // when it differs or has grown into too many segments, building it anew.
    for (int pass = 0; pass < 2; ++pass) {
        const bool anew = pass == 1 || !state || state->segments.size() >= MostSegments;
        auto next = std::make_shared<State>();
        if (!anew) {
            next->listed = state->listed;
            next->segments = state->segments;
            next->segmentLooks = state->segmentLooks;
        }
        bool same = true;
        for (const IndexKind kind : kinds) {
            if (kind == IndexKind::Members && !hasMembers) {
                // None now: the index must hold none either.
                same = same && std::none_of(next->listed.begin(), next->listed.end(),
                                            [](const Listed& listed) {
                                                return listed.summary.kind == IndexKind::Members;
                                            });
                continue;
            }
            SegmentBuilder builder(kind);
            const auto writeSegment = [&] {
                const std::string name = segmentName();
                auto file = files_.replaceFile((folder_ / name).string());
                next->listed.push_back({builder.write(*file), name});
                next->segmentLooks.push_back(files_.fileStamp((folder_ / name).string()));
                auto written = files_.openForReading((folder_ / name).string());
                if (!written) {
                    throw IndexDamaged{};
                }
                next->segments.push_back(std::make_shared<const Segment>(std::move(written)));
            };
            const auto append = [&](std::int64_t row, Field name, Field title) {
                builder.add(row, name, title);
                if (builder.rows() == SegmentRows) {
                    writeSegment();
                }
            };
            const std::vector<std::shared_ptr<const Segment>> none;
            Verification verification(kind, anew ? none : state->segments, append);
            RowsInIdOrder rows(catalog, kind == IndexKind::Files ? RowsInIdOrder::Kind::Files
                                                                 : RowsInIdOrder::Kind::Members);
            std::int64_t read = 0;
            while (same && rows.step()) {
                same = verification.row(rows.id(), {rows.name(), rows.nameIsNull()},
                                        {rows.title(), rows.titleIsNull()});
                if (++read % RowsPerBatch == 0) {
                    if (progress && kind == IndexKind::Files) {
                        progress(rows.id(), total);
                    }
                    if (keepGoing && !keepGoing()) {
                        return nullptr;
                    }
                }
            }
            rows.reset();
            same = same && verification.finish();
            if (!same) {
                break;
            }
            if (builder.rows() > 0) {
                writeSegment();
            }
        }
        if (same) {
            if (progress) {
                progress(total, total);
            }
            return next;
        }
    }
    return nullptr;
}

void NameIndex::update(const Progress& progress, const std::function<bool()>& keepGoing) {
    distrust();
    try {
        files_.makePrivateFolder(folder_.string());
        // Another copy of the program may be at work on this index: it is busy, not
        // damaged, and left alone for a while.
        std::unique_ptr<FileLock> lock;
        for (int attempt = 0; attempt < 50 && !lock; ++attempt) {
            lock = files_.tryLock((folder_ / LockName).string());
            if (!lock) {
                if (keepGoing && !keepGoing()) {
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!lock) {
            return;
        }
        // Temporary files that a killed build left, and the index an older version of the
        // program kept beside this folder.
        files_.prepareTarget(folder_.string());
        for (const char* old : {".index", ".index-journal"}) {
            files_.removeFile(std::filesystem::path(folder_).replace_extension(old).string());
        }
        bool damaged = false;
        {
            const std::lock_guard held(mutex_);
            damaged = damaged_;
            damaged_ = false;
        }
        std::shared_ptr<const State> state = load(!checked_ || damaged);
        checked_ = true;
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::string before = stamps();
            if (before.empty()) {
                return; // no catalogue: no index
            }
            // A look saved by a proof was taken a full step after the catalogue's last
            // change: the catalogue looking so still has not changed since.
            if (state && state->stamps == before) {
                const std::lock_guard trust(mutex_);
                trusted_ = state;
                return;
            }
            if (unsettledFor() > std::chrono::milliseconds(0)) {
                if (!waitUntilSettled(keepGoing)) {
                    return;
                }
                before = stamps();
            }
            // Looked at after the look was taken and before the catalogue is read: a change
            // after the reading then changes the look.
            const bool settled = unsettledFor() == std::chrono::milliseconds(0);
            auto next = bringUpToDate(state, progress, keepGoing);
            if (!next) {
                return;
            }
            const std::string after = stamps();
            auto proved = std::make_shared<State>(*next);
            // Written while it was read, or within the file system's time step of its last
            // change: the index is kept, but proved only by the next pass.
            proved->stamps = after == before && settled ? after : "";
            save(*proved);
            state = proved;
            if (!settled) {
                return; // the catalogue's times lie ahead of the clock
            }
        }
    } catch (...) {
        // Out of use until the next update: searches scan.
    }
}

std::optional<IndexAnswer> NameIndex::candidates(const std::string& key,
                                                 const std::optional<std::string>& title) const {
    std::shared_ptr<const State> state;
    {
        const std::lock_guard lock(mutex_);
        state = trusted_;
    }
    if (!state || stamps() != state->stamps) {
        return std::nullopt;
    }
    try {
        const WildcardPattern pattern(key, WildcardPattern::Syntax::Like);
        IndexQuery query{pattern, trigramsOf(pattern), std::nullopt};
        if (title) {
            query.foldedTitle = FoldedText(*title);
        }
        IndexAnswer answer;
        for (const IndexKind kind : {IndexKind::Files, IndexKind::Members}) {
            std::vector<std::int64_t>& rows =
                kind == IndexKind::Files ? answer.files : answer.members;
            for (const auto& segment : state->segments) {
                if (segment->summary().kind != kind || answer.size() > MostHits) {
                    continue;
                }
                // One past the most a search holds tells the search there are too many.
                const std::size_t before = rows.size();
                segment->find(query, [&answer, &rows](std::int64_t row) {
                    rows.push_back(row);
                    return answer.size() <= MostHits;
                });
                // A segment gives its rows in the order of their names; the segments follow
                // one another in row order.
                std::sort(rows.begin() + static_cast<std::ptrdiff_t>(before), rows.end());
            }
        }
        // Changed while it was read: in doubt.
        if (stamps() != state->stamps) {
            return std::nullopt;
        }
        // A segment changed or cut by another program: the index is proved again, wholly,
        // by the next update.
        for (std::size_t i = 0; i < state->listed.size(); ++i) {
            if (files_.fileStamp((folder_ / state->listed[i].file).string()) !=
                state->segmentLooks[i]) {
                throw IndexDamaged{};
            }
        }
        return answer;
    } catch (const IndexDamaged&) {
        const std::lock_guard lock(mutex_);
        if (trusted_ == state) {
            trusted_.reset();
        }
        damaged_ = true;
        return std::nullopt;
    }
}

bool NameIndex::trusted() const {
    std::shared_ptr<const State> state;
    {
        const std::lock_guard lock(mutex_);
        state = damaged_ ? nullptr : trusted_;
    }
    return state != nullptr && stamps() == state->stamps;
}

} // namespace orbisk
