#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kPunchDamage = 7.0f;
constexpr float kPunchFlash = 0.45f;
constexpr float kPunchPause = 0.3f;  // between button punches of one hand

void landPunch(World& world, int hand) {
    Pilot& pilot = world.pilot;
    const Arm& arm = pilot.arms[hand];
    pilot.punches[hand] += 1;
    pilot.flash[hand] = kPunchFlash;
    pilot.punchCooldown[hand] = kPunchPause;
    world.strike(arm.wrist + arm.forward * 1.7f, arm.forward, kEmptyHand, kPunchDamage, true);
}

}  // namespace

void landPunches(World& world, const Input& input, float dt) {
    Pilot& pilot = world.pilot;
    for (int hand = 0; hand < 2; ++hand) {
        const bool tracked = pilot.arms[hand].tracked;
        // The detector lowers its own cooldown once per step and forgets the
        // hand whenever it is not a usable sample.
        const bool jab = pilot.gestures[hand].sample(input.hands[hand], input.valid[hand] && tracked, dt);
        if (jab) {
            landPunch(world, hand);
        } else if (tracked && input.punch[hand] && !pilot.punchLatch[hand] && pilot.punchCooldown[hand] == 0.0f) {
            landPunch(world, hand);
        }
        pilot.punchLatch[hand] = input.punch[hand];
    }
}

}  // namespace bastion
