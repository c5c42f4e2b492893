#include "support/scripted_platform.h"

#include "locale_number_format.h"

#include <cstdio>
#include <ctime>

namespace orbisk::testing {

Answer ScriptedDialogs::message(const std::string& text, const std::string& title,
                                Buttons buttons) {
    transcript_.add("message " + title + (buttons == Buttons::OkCancel ? " [OK/Cancel]" : "") +
                    ": " + text);
    if (onMessage) {
        onMessage(text);
    }
    if (buttons == Buttons::Ok || answers.empty()) {
        return Answer::Ok;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedDialogs::askSaveFileName(const std::string& filter,
                                             const std::string& suggested) {
    transcript_.add("save dialog " + filter + (suggested.empty() ? "" : " [" + suggested + "]"));
    if (saveNames.empty()) {
        return "";
    }
    std::string name = saveNames.front();
    saveNames.pop_front();
    return name;
}

std::optional<std::string> ScriptedDialogs::askText(const std::string& prompt,
                                                    const std::string& title,
                                                    const std::string& initial) {
    transcript_.add("ask " + title + ": " + prompt + " [" + initial + "]");
    if (texts.empty()) {
        return std::nullopt;
    }
    auto text = texts.front();
    texts.pop_front();
    return text;
}

std::string FixedClock::dateTimeText(std::int64_t seconds) const {
    const auto moment = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&moment, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string CommaNumberFormat::grouped(std::int64_t value) const {
    return GroupDigits(value, ",", 3);
}

} // namespace orbisk::testing
