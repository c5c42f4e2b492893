#pragma once

#include "messages/failure.h"

#include <filesystem>
#include <string>

namespace orbisk {

// The catalogue file is not there, or is not a file a catalogue can be: the reason says
// which. Failures of the engine itself are DatabaseError.
class CatalogError : public Failure {
public:
    enum class Kind { Missing, Folder, Fifo, Device, NotAFile, Taken, Other };
    CatalogError(Kind kind, MessageLines reason) : Failure(std::move(reason)), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// What the user is told when the catalogue cannot be opened or read: the sentence, the
// catalogue's path, the reason (see ReasonOf).
MessageLines CatalogOpenFailure(const std::filesystem::path& file, const MessageLines& reason);

// Throws CatalogError unless file is a plain file (links followed). Never opens it, so a
// FIFO in its place cannot hold the program.
void RequireCatalogFile(const std::filesystem::path& file);

} // namespace orbisk
