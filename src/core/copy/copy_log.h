#pragma once

#include "messages/message.h"

#include <string>
#include <vector>

namespace orbisk {

// What became of one marked file: copied, not found on its disc, or not copied for reason.
struct CopyLogEntry {
    enum class Outcome { Copied, NotFound, Failed };
    std::string path;
    Outcome outcome = Outcome::Copied;
    MessageLines reason;
};

// The copy log: an entry per handled file, in the order they were handled. The front end
// words it (see CopyLogText).
using CopyLog = std::vector<CopyLogEntry>;

} // namespace orbisk
