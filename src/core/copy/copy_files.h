#pragma once

#include "copy/copy_log.h"
#include "platform/platform.h"
#include "search/hit_table.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

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
        Stopped,       // a stop was asked; what was copied stays copied, and a file that
                       // was being copied is logged as stopped, nothing of it left
        Done           // every marked hit was handled; log holds an entry for each
    };
    End end = End::NothingMarked;
    CopyLog log;
};

// COPY: copies the marked hits (positions in lines, ascending) from their discs into
// folder, asking for each disc by title, and gives the copy log. Progress passes every
// line, marked or not. A file that cannot be copied is logged with its reason; the copy
// goes on.
//
// Nothing is copied but the file catalogued: a disc whose registration knows it is
// checked once it is said to be in (its volume, or what a walk of it sees), and each file
// against its catalogue row (size, and size and date where the registration kept them)
// before it is copied. What the catalogue knows is read from catalogFile; a catalogue that
// cannot be read leaves the checks to the hits' own sizes. A stop ends the run between
// files, or within a file being copied, whose partial copy is removed.
CopyRun CopyFiles(Platform platform, const std::filesystem::path& catalogFile,
                  const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder, CopySink& sink, std::stop_token stop = {});

} // namespace orbisk
