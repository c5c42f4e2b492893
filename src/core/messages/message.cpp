#include "messages/message.h"

#include "messages/failure.h"

namespace orbisk {

namespace {

// A message as a developer reads it: its id's number and its values.
std::string developerText(const MessageLines& lines) {
    std::string text;
    for (const Message& line : lines) {
        text += text.empty() ? "" : "\n";
        if (line.id == MessageId::Verbatim) {
            text += line.text(0);
            continue;
        }
        text += "message " + std::to_string(static_cast<int>(line.id));
        const char* separator = ": ";
        for (const MessageValue& value : line.values) {
            text += separator;
            if (const auto* said = std::get_if<std::string>(&value)) {
                text += *said;
            } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
                text += std::to_string(*number);
            } else {
                const NestedLines& nested = std::get<NestedLines>(value);
                text += "(" + (nested.lines ? developerText(*nested.lines) : "") + ")";
            }
            separator = ", ";
        }
    }
    return text;
}

} // namespace

const std::string& Message::text(std::size_t index) const {
    static const std::string none;
    const auto* text = index < values.size() ? std::get_if<std::string>(&values[index]) : nullptr;
    return text != nullptr ? *text : none;
}

std::int64_t Message::number(std::size_t index) const {
    const auto* number =
        index < values.size() ? std::get_if<std::int64_t>(&values[index]) : nullptr;
    return number != nullptr ? *number : 0;
}

Message Verbatim(std::string text) {
    return {MessageId::Verbatim, {std::move(text)}};
}

const MessageLines& Message::lines(std::size_t index) const {
    static const MessageLines none;
    const auto* nested = index < values.size() ? std::get_if<NestedLines>(&values[index]) : nullptr;
    return nested != nullptr && nested->lines ? *nested->lines : none;
}

bool NestedLines::operator==(const NestedLines& other) const {
    const MessageLines none;
    return (lines ? *lines : none) == (other.lines ? *other.lines : none);
}

MessageValue Count(std::int64_t count) {
    return count;
}

MessageValue Nested(MessageLines lines) {
    return NestedLines{std::make_shared<const MessageLines>(std::move(lines))};
}

MessageLines Then(MessageLines lines, const MessageLines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

Failure::Failure(const std::string& systemWords)
    : std::runtime_error(systemWords), reason_{Verbatim(systemWords)} {}

Failure::Failure(MessageLines reason)
    : std::runtime_error(developerText(reason)), reason_(std::move(reason)) {}

MessageLines ReasonOf(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const Failure*>(&error)) {
        return failure->reason();
    }
    return {Verbatim(error.what())};
}

} // namespace orbisk
