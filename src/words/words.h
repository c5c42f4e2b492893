#pragma once

#include "messages/message.h"
#include "platform/file_system.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace orbisk {

// The languages the program speaks: the windows Japanese, orbisk-cli the user's.
enum class Language { Japanese, English };

// A front end's own text in both languages, "{}" standing for each value it quotes.
struct Bilingual {
    std::string_view english;
    std::string_view japanese;

    std::string_view in(Language language) const {
        return language == Language::Japanese ? japanese : english;
    }
};

// text with each "{}" replaced by the next of values.
std::string Filled(std::string_view text, std::initializer_list<std::string_view> values);

// message in the Japanese of the windows.
std::string Japanese(const Message& message);

// message in the English of orbisk-cli.
std::string English(const Message& message);

std::string Worded(const Message& message, Language language);

// One line for each message, joined by line breaks.
std::string Worded(const MessageLines& lines, Language language);

// A drive list's text for entry: a drive without a disc says so.
std::string DriveText(const DriveEntry& entry, Language language);

// Japanese where the locale the user set for messages is Japanese (LC_ALL, LC_MESSAGES
// or LANG, the first that is set, as the C library reads them), else English.
Language LocaleLanguage();

} // namespace orbisk
