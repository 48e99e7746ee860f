#pragma once

#include <array>

#include "voice/channel.h"
#include "world/math.h"

namespace vant::voice {

// What the player asks of the voice chat this frame.
struct Controls {
    bool talk = false;  // not read by the chat
    Channel channel = Channel::proximity;
    bool transmit = false;

    // The game always talks on the radio; the pose arguments are accepted for
    // callers that track hands but do not change the result.
    void update(bool wanted, bool focused, bastion::Vec3 head, const std::array<bastion::Vec3, 2>& hands,
                const std::array<bool, 2>& handValid, const std::array<bool, 2>& grips, bool extra);
};

}  // namespace vant::voice
