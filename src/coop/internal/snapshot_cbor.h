#pragma once

#include <cstdint>
#include <vector>

#include "coop/room.h"

namespace bastion::coop {

// A room's tick snapshot (its state document plus "tick" and "world")
// encoded straight to CBOR, the same bytes as to_cbor of that document. The
// lobby server sends one to every member of every running room twenty times
// a second; building and freeing the JSON tree first cost it a tenth of a core.
std::vector<std::uint8_t> snapshotCbor(const Room& room, std::uint64_t tick);

}  // namespace bastion::coop
