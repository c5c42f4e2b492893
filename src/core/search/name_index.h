#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// A derived index of the catalogue's file names, kept in a file of its own (in the user's
// cache folder) that can be deleted at any time; the catalogue itself is never written.
// SQLite's FTS5 with the trigram tokenizer holds every name folded as the catalogue's LIKE
// folds it, so the index and the matcher agree on letter case by construction.
//
// A search asks for the rows that can match: the index looks up the trigrams of the key's
// runs of ordinary characters and takes the rows holding its two rarest, which the search
// then checks with the catalogue's own matcher; the index only narrows and never decides.
// Whenever it is in any doubt (missing, being brought up to date, changed since it was
// last checked, a catalogue written since, a key without a run of three characters) it
// answers nothing, and the search scans the catalogue as before.
class NameIndex {
public:
    NameIndex(std::filesystem::path indexFile, std::filesystem::path catalogFile,
              const FileSystem& files);

    // The rows, in ascending row id order, that can hold a name matching the key; nothing
    // when the search must scan. Safe to call while update runs on another thread.
    std::optional<std::vector<std::int64_t>>
    candidates(const std::string& key, const std::optional<std::string>& title) const;

    // Brings the index up to date on the thread that calls it: catches up with rows
    // appended since it last looked, or builds it anew when the catalogue was replaced or
    // rows were removed or the index file is damaged. progress gets the rows indexed and
    // the rows to index; keepGoing is asked between batches. Never throws: an index that
    // cannot be made (a cache folder that cannot be written) stays out of use.
    using Progress = std::function<void(std::int64_t done, std::int64_t total)>;
    void update(const Progress& progress = {}, const std::function<bool()>& keepGoing = {});

    // Forgets that the index was up to date, as after a change the program made itself.
    void distrust();

    const std::filesystem::path& file() const { return indexFile_; }

private:
    // What the catalogue and the index files look like on disk: any write changes it.
    struct Stamps {
        std::string catalogue;
        std::string index;
        bool operator==(const Stamps&) const = default;
    };
    Stamps stamps() const;
    bool bringUpToDate(const Progress& progress, const std::function<bool()>& keepGoing);

    std::filesystem::path indexFile_;
    std::filesystem::path catalogFile_;
    const FileSystem& files_;
    mutable std::mutex mutex_;
    std::optional<Stamps> trusted_; // set when update found index and catalogue in step
    bool checked_ = false;          // the index file was checked whole in this run
};

// The name as the index holds it: folded character by character as the catalogue's LIKE
// folds it, bytes that are not UTF-8 kept as private characters of their own.
std::string IndexText(std::string_view name);

// Where the index of a catalogue is kept in the cache folder: a name made from the
// catalogue's full path, so that every catalogue has an index of its own.
std::filesystem::path IndexFileFor(const std::filesystem::path& catalogFile,
                                   const std::filesystem::path& cacheFolder);

} // namespace orbisk
