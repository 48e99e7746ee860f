#pragma once

// Internal to the voice library: the credentials object with which the relay
// admits a client.

#include <cstdint>

#include <nlohmann/json.hpp>

#include "voice/internal/wire.h"

namespace vant::voice {

struct Credentials {
    std::uint16_t port = 0;
    wire::Token token{};
};

nlohmann::json credentialsObject(std::uint16_t port, const wire::Token& token);

// Throws std::runtime_error "Unsupported voice configuration", "Invalid voice
// credentials" or "Invalid voice token"; a missing key or a wrong kind of
// value throws the JSON library's own error.
Credentials readCredentials(const nlohmann::json& credentials);

}  // namespace vant::voice
