#include "edit/csv.h"

namespace orbisk {

namespace {

// A cell a spreadsheet would read as a formula: its first character starts one, or is a
// tab or a line end that a spreadsheet skips before one.
bool readAsFormula(const std::string& field) {
    return !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string::npos;
}

} // namespace

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        const std::string& field = fields[i];
        const bool formula = readAsFormula(field);
        if (!formula && field.find_first_of(",\"\r\n") == std::string::npos) {
            line += field;
            continue;
        }
        line += '"';
        // A leading apostrophe makes the spreadsheet keep the cell as text; it shows the
        // cell without it.
        if (formula) {
            line += '\'';
        }
        for (const char c : field) {
            line += c;
            if (c == '"') {
                line += '"';
            }
        }
        line += '"';
    }
    return line + "\r\n";
}

} // namespace orbisk
