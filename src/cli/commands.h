#pragma once

#include "command.h"

#include <span>
#include <string_view>

namespace orbisk {

// Every command of orbisk-cli, in the order the help lists them.
std::span<const Command* const> Commands();

// The command of that name, or nothing.
const Command* FindCommand(std::string_view name);

} // namespace orbisk
