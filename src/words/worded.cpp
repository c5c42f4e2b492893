#include "words.h"

#include <cstdlib>

namespace orbisk {

std::string Filled(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    auto value = values.begin();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t hole = text.find("{}", at);
        if (hole == std::string_view::npos || value == values.end()) {
            filled += text.substr(at);
            break;
        }
        filled += text.substr(at, hole - at);
        filled += *value++;
        at = hole + 2;
    }
    return filled;
}

std::string Worded(const Message& message, Language language) {
    return language == Language::Japanese ? Japanese(message) : English(message);
}

std::string Worded(const MessageLines& lines, Language language) {
    std::string text;
    const char* separator = "";
    for (const Message& line : lines) {
        text += separator;
        text += Worded(line, language);
        separator = "\n";
    }
    return text;
}

std::string DriveText(const DriveEntry& entry, Language language) {
    if (entry.emptyDevice.empty()) {
        return entry.display;
    }
    return entry.display + " (" + entry.emptyDevice + ": " +
           Worded(Message{MessageId::NoDiscInDrive, {}}, language) + ")";
}

Language LocaleLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            return std::string_view(value).starts_with("ja") ? Language::Japanese
                                                             : Language::English;
        }
    }
    return Language::English;
}

} // namespace orbisk
