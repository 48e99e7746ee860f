#include <algorithm>
#include <cmath>

#include "world/internal/target_consequences.h"
#include "world/world.h"

namespace bastion {

namespace {

constexpr int kMaxFragments = 160;

// Cells of the fragment grid along one axis, at least one. A corrupt span or
// cell edge gives a single cell rather than an undefined conversion.
int fragmentCells(float span, float step) {
    const float cells = std::floor(span / step + 0.5f);
    if (!(cells >= 1.0f)) return 1;
    return static_cast<int>(std::min(cells, 65536.0f));
}

float lowestVertex(const Target& target) {
    if (!target.mesh || target.mesh->empty()) return 0.0f;
    float lowest = target.mesh->front().position.y;
    for (const WorldVertex& vertex : *target.mesh) lowest = std::min(lowest, vertex.position.y);
    return lowest;
}

// The wreck bursts into fragments from the shell of its grid.
void burst(World& world, const Target& target) {
    const int nx = fragmentCells(target.span.x, target.step);
    const int ny = fragmentCells(target.span.y, target.step);
    const int nz = fragmentCells(target.span.z, target.step);
    const Quaternion turn = angles(target.homeYaw, 0.0f, 0.0f);
    const Vec3 origin{target.home.x, target.home.y + lowestVertex(target), target.home.z};
    const float step = target.step;
    int used = 0;
    for (int y = 0; y < ny; ++y) {
        for (int x = 0; x < nx; ++x) {
            for (int z = 0; z < nz; ++z) {
                if (used == kMaxFragments) return;
                const bool inner = 0 < x && x < nx - 1 && 0 < y && y < ny - 1 && 0 < z && z < nz - 1;
                if (inner) continue;
                const Vec3 local{(static_cast<float>(x) - static_cast<float>(nx - 1) / 2.0f) * step,
                                 (static_cast<float>(y) + 0.5f) * step,
                                 (static_cast<float>(z) - static_cast<float>(nz - 1) / 2.0f) * step};
                const Vec3 offset = rotate(turn, local);
                const float reach = std::sqrt(offset.x * offset.x + 0.25f + offset.z * offset.z);
                const float speed = 5.0f + static_cast<float>(used % 5);
                Vec3 velocity{0.0f, 10.0f + static_cast<float>(used % 16), -speed};
                if (reach > 1e-5f && std::isfinite(reach)) {
                    velocity.x = offset.x / reach * speed;
                    velocity.z = offset.z / reach * speed;
                }
                WeaponEffect fragment = makeEffect(WeaponEffect::kDebris, origin + offset, velocity, 0, 1.0f);
                fragment.model =
                    static_cast<int>(target.fragments[static_cast<std::size_t>(used) % target.fragments.size()]);
                appendEffect(world.effects, fragment);
                ++used;
            }
        }
    }
}

}  // namespace

void World::targetDestroyed(Target& target) {
    if (target.destroyed) return;
    target.destroyed = true;

    const float size = std::clamp(2.0f * length(target.extent), 4.0f, 30.0f);
    if (target.fragments.empty()) {
        destruction(target.position, size, 0, 0.0f, 0.0f);
    } else {
        effect(WeaponEffect::kExplosion, target.position, {}, 0, size);
        WeaponEffect smoke = makeEffect(WeaponEffect::kSmoke, target.position, {}, 0, size);
        smoke.age = -0.3f;  // rises once the fireball has bloomed
        appendEffect(effects, smoke);
        burst(*this, target);
    }
    if (target.unitType < 0 && size > 10.0f) {
        // A large building keeps going up in a chain of blasts.
        const Vec3 half{target.extent.x / 2.0f, target.extent.y / 2.0f, 0.0f};
        const Vec3 points[3] = {target.position - half, target.position, target.position + half};
        const float delays[3] = {0.12f, 0.24f, 0.36f};
        for (int i = 0; i < 3; ++i) {
            WeaponEffect blast = makeEffect(WeaponEffect::kExplosion, points[i], {}, 0, 0.65f * size);
            blast.age = -delays[i];
            appendEffect(effects, blast);
        }
    }
    sounds.push_back(
        {size > 15.0f ? SoundEvent::kLargeExplosion : SoundEvent::kExplosion, 0, target.position});

    targetConsequences(*this, target);
}

}  // namespace bastion
