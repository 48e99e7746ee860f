#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::net {

// A host and port as a player or operator wrote them.
struct Endpoint {
    std::string host;  // never empty; no brackets, never "/"
    std::uint16_t port = 0;  // 1..65535
};

// Parses "host", "host:port", "[v6]", "[v6]:port" or a bare IPv6 address,
// with `defaultPort` where no port is written. Throws std::invalid_argument.
Endpoint parseEndpoint(std::string_view text, std::uint16_t defaultPort);

}  // namespace vant::net
