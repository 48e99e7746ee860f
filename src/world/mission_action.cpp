#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr u32 kScriptedAction = 0x80000000u;
constexpr u32 kClearFlag = 0;
constexpr u32 kSetFlag = 1;
constexpr u32 kCountDown = 2;

// The older form of an objective: one of five codes 12 apart, each counting
// counter 0 down and raising its own flag.
constexpr u32 kObjectiveBase = 113568;
constexpr u32 kObjectiveStride = 12;
constexpr u32 kObjectiveCodes = 5;

}  // namespace

void World::applyMissionAction(u32 action) {
    if ((action & kScriptedAction) == 0) {
        if (action < kObjectiveBase) return;
        const u32 offset = action - kObjectiveBase;
        if (offset % kObjectiveStride != 0 || offset / kObjectiveStride >= kObjectiveCodes) return;
        countDown(counters[0]);
        setMissionFlag(*this, offset / kObjectiveStride);
        return;
    }
    const u32 operation = (action >> 16) & 0x7FFFu;
    const u32 argument = action & 0xFFFFu;
    switch (operation) {
        case kClearFlag: clearMissionFlag(*this, argument); break;
        case kSetFlag: setMissionFlag(*this, argument); break;
        case kCountDown:
            if (argument < 3) countDown(counters[argument]);
            break;
        default: break;
    }
}

}  // namespace bastion
