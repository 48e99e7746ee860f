#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "net/internal/cbor_scan.h"
#include "net/internal/connection.h"

// The input is a byte stream arriving on a framed connection (read with
// small limits, so the limits themselves are reached), and on its own a CBOR
// payload for the scanner: whatever the scanner passes, the JSON library's
// strict reader must decode.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vant::net::Limits limits;
    limits.frameBytes = 4096;
    limits.nestingDepth = 16;
    limits.itemsPerMessage = 512;
    limits.messagesPerPoll = 8;
    limits.bytesPerPass = 1024;

    const std::span<const std::uint8_t> payload(data, size);
    bool scanned = true;
    try {
        vant::net::scanCbor(payload, limits);
    } catch (const std::runtime_error&) {
        scanned = false;
    }
    if (scanned) {
        try {
            (void)nlohmann::json::from_cbor(payload, true, true, nlohmann::json::cbor_tag_handler_t::error);
        } catch (const nlohmann::json::exception&) {
            std::abort();
        }
    }

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends) != 0) return 0;
    vant::net::Connection connection(ends[0], limits);
    (void)::send(ends[1], data, size, MSG_NOSIGNAL);
    ::close(ends[1]);
    for (int poll = 0; poll < 16 && connection.connected(); ++poll) {
        for (const auto& message : connection.poll()) {
            if (message.is_discarded()) std::abort();
        }
    }
    // A stream that ends is always noticed, with a text.
    if (connection.connected() || connection.error().empty()) std::abort();
    return 0;
}
