#include <algorithm>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

// One of a ship's two guns: its behaviour bits and parameter words.
struct ShipGun {
    u32 mounted;
    u32 rockets;
    int rangeWord;
    int countWord;
    int intervalWord;
    int pauseWord;
    Vec3 muzzle;
};

constexpr ShipGun kBowGun{kBit04, kBit08, 12, 7, 6, 8, {0.0f, 2.24f, -24.8f}};
constexpr ShipGun kSternGun{kBit10, kBit20, 13, 10, 9, 11, {0.0f, 2.24f, 26.72f}};

void fireShipGun(EnemyView& view, const ShipGun& gun, float& timer, int& left) {
    if (!view.has(gun.mounted) || !view.clear) return;
    if (view.reach > view.word(gun.rangeWord, 100.0f)) return;
    const bool rockets = view.has(gun.rockets);
    const Burst burst{view.unit.parameters[gun.countWord], view.word(gun.intervalWord, 256.0f),
                      view.word(gun.pauseWord, 256.0f), rockets ? kRocket : kShot, rockets ? 70.0f : 64.0f,
                      rockets ? 20.0f : 4.0f, rockets ? 6.0f : 0.0f, gun.muzzle};
    gunCycle(view, burst, timer, left);
}

}  // namespace

// Ships wait out their delay, then sail straight on, firing bow and stern
// guns at targets within their reach.
void shipBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    enterState(unit, kStatePatrol);
    unit.cruiseDelay -= view.dt;
    if (view.has(kBit01) && unit.cruiseDelay <= 0.0f) flyStraight(view, false);
    fireShipGun(view, kBowGun, unit.fireTimer, unit.burstLeft);
    fireShipGun(view, kSternGun, unit.secondaryTimer, unit.secondaryLeft);
}

}  // namespace bastion
