#pragma once

#include <functional>

namespace orbisk::testing {

// Runs check as a user without special rights and returns what it returned. Root reads
// and writes everything, so under root check runs in a forked child that has become
// nobody (uid and gid 65534); whatever check needs must be reachable by that user.
bool asOrdinaryUser(const std::function<bool()>& check);

} // namespace orbisk::testing
