#pragma once

#include <cstdint>

#include "shell/command_line.h"

namespace bastion {

inline constexpr std::uintmax_t kProceduralLayoutLimit = 1048576;

// Rejects contradictory options and settles the start mode (prototype,
// skirmish or neither), in a fixed order. Reads and validates the procedural
// layout file when one is named.
void crossCheckOptions(CommandLine& options);

// A 64-bit clock count folded to a 32-bit seed: low half XOR high half.
u32 foldClockSeed(std::uint64_t count);

}  // namespace bastion
