#include "voice/internal/opus_packet.h"

#include <cstdint>

namespace vant::voice {

bool validOpus(std::span<const std::byte> packet) {
    if (packet.empty() || packet.size() > maxOpusBytes) return false;
    const auto toc = std::to_integer<std::uint8_t>(packet[0]);
    // Stereo bit and frame-count code must be clear: mono, one frame.
    if ((toc & 0x07) != 0) return false;
    // The 20 ms configurations: CELT-only 19, 23, 27, 31; hybrid full band 15;
    // SILK-only 1, 5, 9 and hybrid super-wide band 13.
    if ((toc & 0x98) == 0x98) return true;
    if (toc == 0x78) return true;
    return (toc & 0x98) == 0x08;
}

}  // namespace vant::voice
