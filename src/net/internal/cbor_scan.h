#pragma once

#include <cstdint>
#include <span>

#include "net/internal/limits.h"

namespace vant::net {

// Checks that `payload` is exactly one CBOR value of the JSON subset within
// the limits: definite lengths, text keys without repeats, strict UTF-8,
// finite floats, no byte strings or tags, at most the nesting depth and item
// count. Throws std::runtime_error "Malformed or excessive CBOR message".
void scanCbor(std::span<const std::uint8_t> payload, const Limits& limits);

}  // namespace vant::net
