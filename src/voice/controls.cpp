#include "voice/controls.h"

namespace vant::voice {

void Controls::update(bool wanted, bool, bastion::Vec3, const std::array<bastion::Vec3, 2>&,
                      const std::array<bool, 2>&, const std::array<bool, 2>&, bool) {
    talk = wanted;
    transmit = wanted;
    channel = Channel::radio;
}

}  // namespace vant::voice
