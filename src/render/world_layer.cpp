#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <GL/glew.h>

#include "render/internal/transforms.h"
#include "render/renderer.h"
#include "shell/frontend/frontend.h"
#include "world/debris.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kHalfPi = 1.57079632679489661923f;
constexpr Vec3 kWhite{1.0f, 1.0f, 1.0f};
constexpr Vec3 kRangeBox{0.3f, 0.4f, 0.45f};
constexpr Vec3 kSparkColour{1.0f, 0.75f, 0.2f};

// The camera's axes and eye point, read from its pose.
struct CameraAxes {
    Vec3 right;
    Vec3 up;
    Vec3 backward;
    Vec3 eye;
};

CameraAxes axesOf(const vant::Matrix& camera) {
    return {{camera[0], camera[1], camera[2]},
            {camera[4], camera[5], camera[6]},
            {camera[8], camera[9], camera[10]},
            {camera[12], camera[13], camera[14]}};
}

// A width x height rectangle facing the camera, centred on `centre`; the art
// quad's unit square runs from its top-left corner right and down.
vant::Matrix facing(const CameraAxes& axes, Vec3 centre, float width, float height) {
    const Vec3 r = axes.right * width;
    const Vec3 d = axes.up * -height;
    const Vec3 b = axes.backward;
    const Vec3 corner = centre - axes.right * (width / 2.0f) + axes.up * (height / 2.0f);
    return {r.x, r.y, r.z, 0, d.x, d.y, d.z, 0, b.x, b.y, b.z, 0, corner.x, corner.y, corner.z, 1};
}

// The uv rectangle of frame `frame` of a ten-frame atlas stacked along v.
std::array<float, 4> atlasFrame(float seconds) {
    const int frame = static_cast<int>(std::min(seconds * 10.0f, 9.0f));
    return {0.0f, static_cast<float>(frame) * 0.1f, 1.0f, 0.1f};
}

const char* shellModel(const Projectile& shot) {
    if (shot.weapon == 10) return "effect-homing";
    if (shot.weapon == 12) return "effect-auto-grenade";
    return shot.kind == kRocket ? "effect-rocket" : "effect-grenade";
}

const char* shotArt(Weapon weapon) {
    if (weapon == 6) return "shot-rail";
    if (weapon == 4) return "shot-gatling";
    return "shot-rifle";
}

std::string fragmentModel(int number) { return number == 0 ? "effect-debris" : "fragment-" + std::to_string(number); }

float squaredDistance(Vec3 a, Vec3 b) {
    const Vec3 d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

void beginTransparent() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
}

void endTransparent() {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

}  // namespace

void Renderer::drawWorldLayer(const World& world, const Matrix& camera, bool paused, const Frontend* frontend) {
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
    const auto drawBlock = [this](Vec3 centre, Vec3 half, Vec3 colour) {
        box(vant::chain(vant::translation(centre.x, centre.y, centre.z), vant::scaling(half.x, half.y, half.z)),
            colour);
    };

    if (world.missionIndex < 0) {
        // The bare demo range: a ground plate and one box per standing target.
        drawBlock({0.0f, -0.4f, -40.0f}, {180.0f, 0.4f, 180.0f}, world.groundColour);
        for (const Target& target : world.targets)
            if (target.health > 0.0f) drawBlock(target.position, target.extent, kRangeBox);
    } else {
        // Flat ground is a slab whose top face is the plane y = 0.
        if (!world.proceduralTerrain) drawBlock({0.0f, -0.4f, 0.0f}, {1500.0f, 0.4f, 1500.0f}, world.groundColour);
        drawWorld(world);
    }

    const CameraAxes axes = axesOf(camera);

    for (const Projectile& shot : world.projectiles) {
        const float speed = length(shot.velocity);
        const Vec3 d = shot.velocity * (1.0f / std::max(speed, 0.001f));
        const Matrix M = vant::chain(vant::translation(shot.position.x, shot.position.y, shot.position.z),
                                     vant::rotationY(std::atan2(-d.x, -d.z)),
                                     vant::rotationX(std::asin(std::clamp(d.y, -1.0f, 1.0f))));
        if (shot.kind == kRocket || shot.kind == kGrenade) {
            model(shellModel(shot), M);
            continue;
        }
        beginTransparent();
        art(shotArt(shot.weapon), facing(axes, shot.position, 1.4f, 1.4f), {0.0f, 0.0f, 1.0f, 1.0f}, kWhite);
        endTransparent();
    }

    // Debris never sinks below the height at which its tumbling mesh rests.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1.0f, -1.0f);
    for (const WeaponEffect& effect : world.effects) {
        if (effect.kind != WeaponEffect::kDebris || !(effect.age >= 0.0f)) continue;
        const float y = std::max(effect.position.y, world.debrisFloor(effect));
        const DebrisTumble tumble = debrisTumble(effect.age);
        model(fragmentModel(effect.model),
              vant::chain(vant::translation(effect.position.x, y, effect.position.z), vant::rotationY(tumble.yaw),
                          vant::rotationX(tumble.pitch), vant::scaling(effect.size, effect.size, effect.size)));
    }
    glDisable(GL_POLYGON_OFFSET_FILL);

    // Transparent effects far to near; equal distances keep their list order.
    std::vector<const WeaponEffect*> sorted;
    sorted.reserve(world.effects.size());
    for (const WeaponEffect& effect : world.effects) sorted.push_back(&effect);
    std::stable_sort(sorted.begin(), sorted.end(), [&axes](const WeaponEffect* a, const WeaponEffect* b) {
        return squaredDistance(a->position, axes.eye) > squaredDistance(b->position, axes.eye);
    });
    beginTransparent();
    for (const WeaponEffect* effect : sorted) {
        if (!(effect->age >= 0.0f) || effect->kind == WeaponEffect::kFlash || effect->kind == WeaponEffect::kDebris)
            continue;
        if (effect->kind == WeaponEffect::kExplosion || effect->kind == WeaponEffect::kSmoke) {
            art(effect->kind == WeaponEffect::kExplosion ? "explosion-atlas" : "smoke-atlas",
                facing(axes, effect->position, effect->size, effect->size), atlasFrame(effect->age), kWhite);
            continue;
        }
        // Sparks: a cross of four bars in the camera's plane that turns and
        // flies outward as it ages.
        const Vec3 at = effect->position;
        const Matrix plane{axes.right.x,    axes.right.y,    axes.right.z,    0, axes.up.x, axes.up.y, axes.up.z, 0,
                           axes.backward.x, axes.backward.y, axes.backward.z, 0, at.x,      at.y,      at.z,      1};
        for (int k = 0; k < 4; ++k) {
            const float t = effect->age * 3.0f + static_cast<float>(k) * kHalfPi;
            const float inner = (effect->age * 3.0f + 0.15f) * effect->size;
            const float outer = inner + 0.25f * effect->size;
            const Vec3 direction{std::cos(t), std::sin(t), 0.0f};
            line(plane, direction * inner, direction * outer, 0.025f, kSparkColour);
        }
    }
    endTransparent();

    if (frontend != nullptr) {
        for (const Pilot& other : frontend->otherPilots) {
            drawStormer(other, other.dead ? 0.4f : 0.0f);
            if (!other.dead) drawArms(other);
            if (other.missile.active) {
                const Vec3 at = other.missile.position;
                modelPreview("cruise", vant::translation(at.x, at.y, at.z), 2.0f, other.missile.yaw);
            }
        }
    }

    const Pilot& pilot = world.pilot;
    if (!pilot.dead) return;
    const float t = pilot.ejection;
    // The abandoned walker shows once the pilot is clear of it, leaning over
    // from 3 s on.
    if (t > 2.0f) drawStormer(pilot, std::min(std::max(t - 3.0f, 0.0f) * 0.15f, 0.4f));
    if (frontend == nullptr || !frontend->spectating) drawCockpit(world, camera, paused);
    if (t >= 3.0f && t < 4.0f) {
        beginTransparent();
        art("explosion-atlas", facing(axes, pilot.position + Vec3{0.0f, 7.0f, 0.0f}, 24.0f, 20.0f),
            atlasFrame(t - 3.0f), kWhite);
        endTransparent();
    }
}

}  // namespace bastion
