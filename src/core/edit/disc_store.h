#pragma once

#include "catalog/disc_rows.h"
#include "messages/message.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// Every registered title once, in the order of its first title row.
std::vector<std::string> ReadDiscTitles(const std::filesystem::path& catalogFile);

// Why the catalogue cannot be changed, or nothing when it can.
std::optional<MessageLines> WhyUnchangeable(const std::filesystem::path& catalogFile);

} // namespace orbisk
