// Feeds received packet bytes to the lobby transport's message decoding:
// whatever a peer sends is refused or decoded, never a crash or a deep
// recursion.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "coop/internal/message_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto message = bastion::coop::decodeMessage(data, size);
    if (message && !message->is_object()) {
        std::fprintf(stderr, "Decoded a message that is not an object\n");
        std::abort();
    }
    return 0;
}
