#pragma once

#include "search/index_segment.h"
#include "search/name_index.h"

#include <memory>
#include <string>
#include <vector>

namespace orbisk {

// One segment as the manifest lists it: what it holds and its file's name.
struct ListedSegment {
    SegmentSummary summary;
    std::string file;
};

// What the index is made of at one time: the manifest's list and the segments it names.
struct NameIndex::State {
    std::string stamps; // the catalogue's look when the index was last proved in step
    std::vector<ListedSegment> listed;
    std::vector<std::shared_ptr<const Segment>> segments; // as listed
    // Each segment file's look when it was opened: a file changed in place since then
    // (by anyone: the program only ever writes new files) is not trusted.
    std::vector<std::string> segmentLooks;
};

} // namespace orbisk
