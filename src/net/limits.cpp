#include "net/internal/limits.h"

#include <stdexcept>

namespace vant::net {

void checkLimits(const Limits& limits) {
    constexpr std::uint64_t largestFrame = 134'217'728;
    constexpr std::uint64_t deepestNesting = 128;
    const bool valid = limits.frameBytes >= 1 && limits.frameBytes <= largestFrame && limits.queuedBytes >= 4 &&
                       limits.queuedFrames >= 1 && limits.messagesPerPoll >= 1 && limits.bytesPerPass >= 1 &&
                       limits.nestingDepth >= 1 && limits.nestingDepth <= deepestNesting &&
                       limits.itemsPerMessage >= 1;
    if (!valid) throw std::invalid_argument("Invalid network resource limits");
}

}  // namespace vant::net
