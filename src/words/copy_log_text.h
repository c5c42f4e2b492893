#pragma once

#include "copy/copy_log.h"
#include "words.h"

#include <string>

namespace orbisk {

// The copy log as it is shown and saved: two CR LF-ended lines per handled file, its path
// and what became of it, the reasons in Japanese whatever the front end speaks (the log is
// a format of its own).
std::string CopyLogText(const CopyLog& log);

} // namespace orbisk
