#pragma once

#include "messages/message.h"

#include <exception>
#include <stdexcept>
#include <string>

namespace orbisk {

// A failure that the user is told of: its reason() is said by id, in the front end's
// words. what() is for a developer's eyes only: the system's words where the reason is
// theirs, else the ids and values.
class Failure : public std::runtime_error {
public:
    // A reason in the system's own words (strerror's, the engine's), said as it is.
    explicit Failure(const std::string& systemWords);
    explicit Failure(MessageLines reason);
    const MessageLines& reason() const { return reason_; }

private:
    MessageLines reason_;
};

// What to tell of error: its reason where it is a Failure, else its text as given.
MessageLines ReasonOf(const std::exception& error);

} // namespace orbisk
