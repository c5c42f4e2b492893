#pragma once

#include <functional>

namespace orbisk::testing {

// How work run by RunKilledAtWrite ended.
enum class WorkEnd {
    Killed, // at the write named
    Done,   // before it
    Failed  // by an exception, before it
};

// Runs work in a forked child that is killed (SIGKILL) at its nth write, through SQLite, to
// any file the engine writes: a power cut at that point of a write.
WorkEnd RunKilledAtWrite(int write, const std::function<void()>& work);

} // namespace orbisk::testing
