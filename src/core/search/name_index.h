#pragma once

#include "platform/file_system.h"
#include "search/index_segment.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// A derived index of the catalogue's file names and of the names of the files packed in
// its archives, kept in a folder of its own (in the
// user's cache folder) that can be deleted at any time; the catalogue itself is never
// written. It answers a search only when it is proved to describe the catalogue as it is
// now, rows, ids, names and titles alike, whoever changed it and however; until then the
// search scans the catalogue.
//
// The proof: the index keeps, with each block of rows, what those rows add up to (a
// digest of id, name and title), and the look of the catalogue's files (identity, size,
// times of change) when it last found every digest in step. A change by anyone leaves
// the files looking otherwise; the index then reads the catalogue in one pass, in one
// snapshot, and finds every digest again, adds the rows appended since, or is built
// anew. Where the file system keeps times in whole seconds (FAT, exFAT, ext2 with small
// inodes), a change within the same second leaves the look as it was: a look is trusted
// only when taken a full time step after the catalogue's last change, and the proof waits
// that step out before it reads. Nothing is ever written where it was read from: each part is
// written under a temporary name and renamed into place, never through a link, and one process at a
// time does so, under a lock; a process that finds the lock taken leaves the index alone.
//
// The index holds, in segments of rows, every name folded by the catalogue's rule and
// its title, and for each byte trigram the blocks holding it. A search takes the blocks
// that hold every trigram of the key's ordinary characters (and the title, when there is
// one), checks their names with the catalogue's own matcher, and gives the rows that
// match, which the search then reads from the catalogue.
// The rows a name index picked: file rows and packed files, each in ascending order.
struct IndexAnswer {
    std::vector<std::int64_t> files;
    std::vector<std::int64_t> members;
    std::size_t size() const { return files.size() + members.size(); }
};

class NameIndex {
public:
    NameIndex(std::filesystem::path folder, std::filesystem::path catalogFile, FileSystem& files);
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The file rows, then the packed files, whose names match the key (of the title, when
    // there is one: compared as the catalogue compares titles), stopping one past the most
    // a search holds; nothing when the search must scan. Safe to call while update runs on
    // another thread.
    std::optional<IndexAnswer> candidates(const std::string& key,
                                          const std::optional<std::string>& title) const;

    // Trusts the index when its files and the catalogue's look as they did when it was
    // last proved in step, and its segments are whole; reads no catalogue row. Never
    // throws. For a program that searches once and ends.
    bool check();

    // Brings the index up to date on the thread that calls it, as described above.
    // progress gets the rows read and the rows there are; keepGoing is asked between
    // batches. Never throws: an index that cannot be made (a cache folder that cannot be
    // written, another process at work on it) stays out of use, and searches scan.
    using Progress = std::function<void(std::int64_t done, std::int64_t total)>;
    void update(const Progress& progress = {}, const std::function<bool()>& keepGoing = {});

    // Forgets that the index was up to date, as after a change the program made itself.
    void distrust();

    // Whether the index answers searches now: false while the catalogue has changed since
    // it was proved, and once a search found one of its files changed or cut, until the
    // next update has proved it again.
    bool trusted() const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    struct State;
    std::string stamps() const;
    // How long until any change of the catalogue's files surely changes their look.
    std::chrono::milliseconds unsettledFor() const;
    // Waits (a few seconds at most) until a change would change the look; false when
    // keepGoing said to stop.
    bool waitUntilSettled(const std::function<bool()>& keepGoing) const;
    std::shared_ptr<const State> load(bool wholly) const;
    std::shared_ptr<const State> bringUpToDate(std::shared_ptr<const State> state,
                                               const Progress& progress,
                                               const std::function<bool()>& keepGoing);
    void save(const State& state);

    std::filesystem::path folder_;
    std::filesystem::path catalogFile_;
    FileSystem& files_;
    mutable std::mutex mutex_;
    // Both may be dropped by a search, which finds the index damaged.
    mutable std::shared_ptr<const State> trusted_;
    mutable bool damaged_ = false;
    bool checked_ = false; // the segments were read whole in this run
};

// Where the index of a catalogue is kept in the cache folder: a folder named from the
// catalogue's full path, so that every catalogue has an index of its own.
std::filesystem::path IndexFolderFor(const std::filesystem::path& catalogFile,
                                     const std::filesystem::path& cacheFolder);

} // namespace orbisk
