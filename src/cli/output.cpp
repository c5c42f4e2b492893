#include "output.h"

#include <cerrno>
#include <cstring>

namespace orbisk {

namespace {

// field with its control characters escaped; a backslash, a tab and a line break too
// when fields are to stay apart, else the line break kept.
std::string escaped(std::string_view field, bool wholeField) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(field.size());
    const auto byte = [&out](unsigned char c) {
        out += "\\x";
        out += Hex[c >> 4];
        out += Hex[c & 0xf];
    };
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (!wholeField && c == '\n') {
            out += '\n';
        } else if (wholeField && c == '\\') {
            out += "\\\\";
        } else if (wholeField && c == '\t') {
            out += "\\t";
        } else if (wholeField && c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7f) {
            byte(c);
        } else if (c == 0xc2 && i + 1 < field.size() &&
                   static_cast<unsigned char>(field[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(field[i + 1]) <= 0x9f) {
            // U+0080 to U+009F, which terminals take for commands as they take ESC.
            byte(c);
            byte(static_cast<unsigned char>(field[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace

std::string EscapedField(std::string_view field) {
    return escaped(field, true);
}

std::string TerminalText(std::string_view text) {
    return escaped(text, false);
}

void Output::record(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const std::string_view field : fields) {
        if (nulls_) {
            line += field;
            line += '\0';
        } else {
            line += first ? "" : "\t";
            line += EscapedField(field);
        }
        first = false;
    }
    if (!nulls_) {
        line += '\n';
    }
    text(line);
}

void Output::text(std::string_view bytes) {
    errno = 0;
    if (error_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
}

std::string Output::finish() {
    errno = 0;
    if (error_ == 0 && (std::fflush(out_) != 0 || std::ferror(out_) != 0)) {
        error_ = errno != 0 ? errno : EIO;
    }
    return error_ == 0 ? "" : std::strerror(error_);
}

} // namespace orbisk
