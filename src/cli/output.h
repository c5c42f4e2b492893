#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orbisk {

// A field of a line of output, escaped so that a line stays one line of its fields
// whatever a name or a title holds: a backslash as "\\", a tab as "\t", a line break as
// "\n", every other control character (C0, DEL, and C1 written in UTF-8) as "\xHH" for
// each of its bytes. Other bytes are kept as they are, so that a path that is not UTF-8
// still names its file once unescaped.
std::string EscapedField(std::string_view field);

// A message for the terminal, its lines kept: every control character but the line break
// (an escape, a carriage return, C1 written in UTF-8) written "\xHH" per byte, so that a
// name or a title it quotes cannot command the terminal.
std::string TerminalText(std::string_view text);

// A command's standard output. Every write is checked, so that output that could not be
// written (a full disk, /dev/full) makes the command fail rather than end as done.
class Output {
public:
    // With nulls, each field of a record is written raw and ended by a NUL byte; else
    // the fields are escaped, joined by tabs and the record ended by a line break.
    Output(std::FILE* out, bool nulls) : out_(out), nulls_(nulls) {}

    void record(std::initializer_list<std::string_view> fields);
    // Bytes written as they are (JSON, the help text).
    void text(std::string_view bytes);
    // Writes out what is still buffered. The system's reason when anything could not be
    // written, else the empty text.
    std::string finish();

private:
    std::FILE* out_;
    bool nulls_;
    int error_ = 0;
};

} // namespace orbisk
