#pragma once

#include <cstddef>
#include <span>

namespace vant::voice {

// Largest Opus packet of one frame that any end of the voice path accepts.
inline constexpr std::size_t maxOpusBytes = 398;

// True for a mono, single-frame, 20 ms Opus packet of 1..398 bytes: the one
// payload rule that codec, playback, transport and relay share.
bool validOpus(std::span<const std::byte> packet);

}  // namespace vant::voice
