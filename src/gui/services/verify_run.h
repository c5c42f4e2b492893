#pragma once

#include "content/copy_groups.h"
#include "content/disc_verification.h"
#include "messages/message.h"
#include "platform/clock.h"
#include "platform/file_system.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

// One line of VERIFY's result, as listed and saved.
struct VerifyLine {
    Verdict verdict = Verdict::Same;
    std::string path;      // the file's path on the disc; a packed file's after its archive's
    std::string detail;    // what differs, or why it cannot be read and how far it read
    std::string elsewhere; // other discs holding the file, for one that needs a copy
};

// One run of VERIFY, shared by the worker that does it and the window that shows it: the
// counters the window shows while it goes on, and its result, which the window reads only
// once the worker has finished.
struct VerifyRun {
    ReadCounters counters;
    std::atomic<std::uint64_t> totalBytes{0};
    std::atomic<std::uint64_t> totalFiles{0};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::optional<Notice> refusal; // the disc was not verified: why
    std::optional<Notice> notKept; // verified, but the outcome could not be kept: why
    std::vector<VerifyLine> lines;
    VerificationCounts counts;
    bool stopped = false;

    // The whole run, on the worker: the disc found and told apart from others, read against
    // its registration, a whole run kept as the disc's last verification, and for each file
    // that needs a copy, where else the catalogue holds it.
    void work(const FileSystem& files, const std::filesystem::path& catalogFile,
              const std::string& title, const std::string& drive, std::stop_token stop);
};

// Each title's last verification in words, that of its newest registration: its date and
// time and "異常なし", or the counts of the files that differ. None for a title never
// verified or when the catalogue cannot be read.
std::map<std::string, std::string> LastVerifications(const std::filesystem::path& catalogFile,
                                                     const Clock& clock);

// Another disc's copy of a file in words: its title, its path (a packed file's after its
// archive's) and how surely it is the same file.
std::string PlaceText(const std::string& title, const std::string& path,
                      const std::string& memberPath, Match match);

// The words of a verdict and of what differs, as the window lists them.
std::string VerdictText(Verdict verdict);
std::string VerdictDetail(Verdict verdict, std::uint8_t changes, const ContentRead& read);

} // namespace orbisk
