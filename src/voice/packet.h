#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "voice/channel.h"
#include "world/math.h"

namespace vant::voice {

// One received voice datagram, as the playback consumes it.
struct Packet {
    std::uint32_t speaker = 0;
    std::uint32_t sequence = 0;
    std::uint64_t session = 0;
    Channel channel = Channel::proximity;
    bastion::Vec3 position;  // the speaker's x and z; y is always 12
    std::vector<std::byte> opus;
};

}  // namespace vant::voice
