#include "net/endpoint.h"

#include <algorithm>
#include <stdexcept>

namespace vant::net {

namespace {

constexpr std::size_t maxEndpointBytes = 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::uint16_t portNumber(std::string_view digits) {
    if (digits.empty()) throw std::invalid_argument("Missing TCP port");
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') throw std::invalid_argument("TCP port must contain digits");
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        // Checked per digit, so an overlong run cannot overflow before it fails.
        if (value >= 65536) throw std::invalid_argument("TCP port outside 1..65535");
    }
    if (value == 0) throw std::invalid_argument("TCP port outside 1..65535");
    return static_cast<std::uint16_t>(value);
}

}  // namespace

Endpoint parseEndpoint(std::string_view text, std::uint16_t defaultPort) {
    text = trimmed(text);
    if (text.empty() || defaultPort == 0 || text.size() > maxEndpointBytes) {
        throw std::invalid_argument("Missing or excessive TCP endpoint");
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte == 0x7F) {
            throw std::invalid_argument("Whitespace/control character in TCP endpoint");
        }
    }

    Endpoint endpoint{std::string(), defaultPort};
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) throw std::invalid_argument("Unclosed IPv6 brackets");
        endpoint.host = std::string(text.substr(1, close - 1));
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') throw std::invalid_argument("Unexpected text after IPv6 address");
            endpoint.port = portNumber(text.substr(close + 2));
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const std::size_t colon = text.find(':');
        endpoint.host = std::string(text.substr(0, colon));
        endpoint.port = portNumber(text.substr(colon + 1));
    } else {
        // No colon, or a bare IPv6 address whose colons are not a port.
        endpoint.host = std::string(text);
    }

    if (endpoint.host.empty() || endpoint.host.find_first_of("/[]") != std::string::npos) {
        throw std::invalid_argument("Invalid TCP host");
    }
    return endpoint;
}

}  // namespace vant::net
