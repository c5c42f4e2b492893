#include "support/scripted_platform.h"

#include "locale_number_format.h"
#include "words.h"

#include <cstdio>
#include <ctime>

namespace orbisk::testing {

namespace {

std::string titleOf(const Notice& notice) {
    return notice.title ? Japanese({*notice.title, {}}) : "";
}

} // namespace

Answer ScriptedDialogs::message(const Notice& notice, Buttons buttons) {
    const std::string text = Worded(notice.lines, Language::Japanese);
    transcript_.add("message " + titleOf(notice) +
                    (buttons == Buttons::OkCancel ? " [OK/Cancel]" : "") + ": " + text);
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

std::string ScriptedDialogs::askSaveFileName(const Message& filter, const std::string& suggested) {
    transcript_.add("save dialog " + Japanese(filter) +
                    (suggested.empty() ? "" : " [" + suggested + "]"));
    if (saveNames.empty()) {
        return "";
    }
    std::string name = saveNames.front();
    saveNames.pop_front();
    return name;
}

std::string ScriptedDialogs::askOpenFileName(MessageId title, const Message& filter,
                                             const std::string& start) {
    transcript_.add("open dialog " + Japanese({title, {}}) + " " + Japanese(filter) + " [" + start +
                    "]");
    if (openNames.empty()) {
        return "";
    }
    std::string name = openNames.front();
    openNames.pop_front();
    return name;
}

std::optional<std::string> ScriptedDialogs::askText(const Notice& question,
                                                    const std::string& initial) {
    transcript_.add("ask " + titleOf(question) + ": " + Worded(question.lines, Language::Japanese) +
                    " [" + initial + "]");
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
