#pragma once

#include <cstdint>

namespace vant::net {

// Bounds on everything one framed TCP connection may hold or do.
struct Limits {
    std::uint64_t frameBytes = 4'194'304;      // largest CBOR payload, both ways: 1..128 MiB
    std::uint64_t queuedBytes = 8'388'608;     // outgoing bytes, headers included: 4 or more
    std::uint64_t queuedFrames = 128;          // outgoing frames: 1 or more
    std::uint64_t messagesPerPoll = 64;        // 1 or more
    std::uint64_t bytesPerPass = 1'048'576;    // sent per flush, read per poll: 1 or more
    std::uint64_t nestingDepth = 64;           // 1..128
    std::uint64_t itemsPerMessage = 262'144;   // CBOR data items: 1 or more
};

// Throws std::invalid_argument "Invalid network resource limits".
void checkLimits(const Limits& limits);

}  // namespace vant::net
