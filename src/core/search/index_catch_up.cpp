#include "catalog/catalog.h"
#include "catalog/packed_files.h"
#include "catalog/row_reader.h"
#include "search/index_state.h"
#include "search/name_index.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

namespace orbisk {

namespace {

constexpr const char* LockName = "lock";
// Rows per segment: a segment is built in memory, so this bounds what a build takes.
constexpr std::int64_t SegmentRows = 256 * 1024;
// Each registration adds a segment; past this many the index is built anew in few.
constexpr std::size_t MostSegments = 64;
// Rows between two looks at keepGoing and two reports of progress.
constexpr std::int64_t RowsPerBatch = 65536;

std::string segmentName() {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    char name[48];
    std::snprintf(name, sizeof name, "seg-%08x%08x-%u.idx", entropy(), entropy(), counter++);
    return name;
}

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
                                            [](const ListedSegment& listed) {
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

} // namespace orbisk
