#pragma once

#include <cstdint>

namespace bastion::bench {

// Calls of the global operator new made by this thread so far.
std::uint64_t allocationsOnThisThread();

}  // namespace bastion::bench
