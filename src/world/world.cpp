#include "world/world.h"

#include <algorithm>
#include <atomic>

namespace bastion {

std::vector<Target> testRangeTargets() {
    std::vector<Target> boxes;
    boxes.reserve(35);
    for (int r = 0; r < 5; ++r) {
        for (int c = -3; c <= 3; ++c) {
            const float h = static_cast<float>((c * c + 3 * r) % 5) * 1.5f + 3.0f;
            Target box;
            box.position = {22.0f * static_cast<float>(c), h, -20.0f - 26.0f * static_cast<float>(r)};
            box.extent = {5.0f, h, 5.0f};
            boxes.push_back(std::move(box));
        }
    }
    return boxes;
}

u64 nextWorldIdentity() {
    static std::atomic<u64> last{0};
    return ++last;
}

World::World() : identity(nextWorldIdentity()), targets(testRangeTargets()) {
    std::fill(std::begin(slots), std::end(slots), -1);
}

void World::configure(const Loadout& loadout, const ArmRig& rig) {
    pilot.rig = rig;
    pilot.arms[0] = Arm{};
    pilot.arms[1] = Arm{};
    for (int mount = 0; mount < kMountCount; ++mount) pilot.weapons[mount] = loadout[mount];
    pilot.homing_target = -1;
    for (int mount = 0; mount < kMountCount; ++mount) {
        pilot.cooldown[mount] = 0.0f;
        pilot.shots[mount] = 0;
        pilot.burst[mount] = 0;
        pilot.ammoFraction[mount] = 0.0f;
        // A button already held when play starts fires only once released.
        pilot.fireLatch[mount] = true;
    }
    projectiles.clear();
    effects.clear();
    pilot.missile = Missile{};
    resetTracking();
    // Ammunition comes from the SB1 table whatever the campaign.
    for (int mount = 0; mount < kMountCount; ++mount) pilot.ammo[mount] = weaponInfo(loadout[mount], 0).ammo;
}

void World::resetTracking() {
    pilot.walk_speed = 0.0f;
    for (Gesture& gesture : pilot.gestures) {
        gesture.valid = false;
        gesture.armed = true;
    }
    for (Arm& arm : pilot.arms) arm.tracked = false;
}

}  // namespace bastion
