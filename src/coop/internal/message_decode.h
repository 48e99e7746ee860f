#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <nlohmann/json.hpp>

namespace bastion::coop {

// Nesting deeper than this is refused before decoding, so a small packet of
// nested arrays cannot exhaust the stack.
inline constexpr std::size_t kMaxMessageDepth = 64;

// The JSON object one received packet holds, or none when the bytes are not
// exactly one CBOR item (no tags) that decodes to an object, or nest deeper
// than kMaxMessageDepth, or declare more items or bytes than the packet
// carries. Never throws.
std::optional<nlohmann::json> decodeMessage(const std::uint8_t* data, std::size_t size);

}  // namespace bastion::coop
