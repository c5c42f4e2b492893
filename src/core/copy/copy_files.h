#pragma once

#include "platform/platform.h"
#include "search/hit_table.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr const char* CopyTitle = "ファイルのコピー";

// What the copy shows while it runs.
class CopySink {
public:
    virtual ~CopySink() = default;
    // Disables, in a fixed order, the controls that could start another copy or change its
    // hits or folder (COPY, CLOSE, SELECT ALL, CLEAR, the hit list, the folder list and the
    // drive list), or enables them again in the same order.
    virtual void setBusy(bool busy) = 0;
    virtual void setProgressMax(int max) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
};

struct CopyRun {
    enum class End {
        NothingMarked, // told to the user; nothing else happened
        Cancelled,     // at a disc question; what was copied stays copied
        Stopped,       // a stop was asked between two files; what was copied stays copied
        Done           // every marked hit was handled; log holds an entry for each
    };
    End end = End::NothingMarked;
    std::string log;
    // How many of the marked hits were handled (each has its entry in the log), in the
    // order marked, and the lines of those that were not copied.
    std::size_t handled = 0;
    std::vector<std::size_t> notCopied;
};

// COPY: copies the marked hits (positions in lines, ascending) from their discs into
// folder, asking for each disc by title (an image file gone from its place by its path, and
// where it is now: once the user points at it and it proves the same image, the rest of
// its files are read from there), and gives the copy log. Progress passes every
// line, marked or not. A file that cannot be copied is logged with its reason; the copy
// goes on. The log is data of its own format: its lines and reasons are in the log's
// Japanese whatever the front end speaks.
//
// Nothing is copied but the file catalogued: a disc whose registration knows it is
// checked once it is said to be in (its volume, or what a walk of it sees), and each file
// against its catalogue row (size, and size and date where the registration kept them)
// before it is copied. What the catalogue knows is read from catalogFile; a catalogue that
// cannot be read leaves the checks to the hits' own sizes. A stop is looked at between
// files (a file being copied is finished).
CopyRun CopyFiles(Platform platform, const std::filesystem::path& catalogFile,
                  const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder, CopySink& sink, std::stop_token stop = {});

} // namespace orbisk
