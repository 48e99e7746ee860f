#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <stdexcept>
#include <string_view>

#include "net/endpoint.h"
#include "voice/internal/opus_packet.h"

// An endpoint text either parses into a host without brackets or slashes and
// a port 1..65535, or is refused with std::invalid_argument; the same bytes
// as an Opus payload must be judged without reading past them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::uint16_t defaultPort = size > 0 ? static_cast<std::uint16_t>(data[0] * 257u) : 29497;
    try {
        const vant::net::Endpoint endpoint = vant::net::parseEndpoint(text, defaultPort);
        if (endpoint.host.empty() || endpoint.host.find_first_of("/[]") != std::string::npos ||
            endpoint.port == 0) {
            std::abort();
        }
    } catch (const std::invalid_argument&) {
    }
    const bool valid = vant::voice::validOpus(std::as_bytes(std::span(data, size)));
    if (valid && (size == 0 || size > vant::voice::maxOpusBytes)) std::abort();
    return 0;
}
