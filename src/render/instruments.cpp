#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "render/internal/cockpit_readings.h"
#include "render/internal/radar.h"
#include "render/internal/transforms.h"
#include "render/renderer.h"
#include "world/world.h"

namespace bastion {
namespace {

using cockpit::kAmber;
using cockpit::kDimGreen;
using cockpit::kGreen;
using vant::Matrix;

constexpr float kPi = cockpit::kPi;

Matrix at(const Matrix& frame, Vec3 offset) {
    return vant::multiply(frame, vant::translation(offset.x, offset.y, offset.z));
}

// A closed outline through four corners in the frame's XY plane.
void outline(Renderer& renderer, const Matrix& M, const std::array<Vec3, 4>& corners, float width, Vec3 colour) {
    for (std::size_t i = 0; i < corners.size(); ++i)
        renderer.line(M, corners[i], corners[(i + 1) % corners.size()], width, colour);
}

// A circle of `chords` straight pieces around (x, y) at height z.
void ring(Renderer& renderer, const Matrix& M, float x, float y, float z, float radius, int chords, Vec3 colour,
          float width) {
    for (int k = 0; k < chords; ++k) {
        const float a0 = static_cast<float>(k) * kPi / static_cast<float>(chords / 2);
        const float a1 = static_cast<float>(k + 1) * kPi / static_cast<float>(chords / 2);
        renderer.line(M, {x + radius * std::cos(a0), y + radius * std::sin(a0), z},
                      {x + radius * std::cos(a1), y + radius * std::sin(a1), z}, width, colour);
    }
}

}  // namespace

void Renderer::instruments(const World& world, const Matrix& C, bool paused) {
    const Pilot& local = world.pilot;

    for (int mount = 0; mount < 6; ++mount) {
        const AmmoReadout& place = ammoReadouts[static_cast<std::size_t>(mount)];
        const cockpit::Readout readout = cockpit::ammoReadout(local, mount);
        text(readout.text, at(C, place.position), place.size, readout.colour);
    }

    // Overview: status line, legs against torso, destroyed targets.
    const Matrix O = at(C, overviewAnchor);
    const cockpit::Readout status = cockpit::statusLine(local, paused);
    text(status.text, at(O, {-0.16f, 0.17f, 0.0f}), 0.007f, status.colour);
    const Matrix legs = vant::multiply(O, vant::rotationZ(-local.angles[1]));
    outline(*this, legs, {{{-0.063f, -0.11f, 0}, {-0.017f, -0.11f, 0}, {-0.017f, 0.04f, 0}, {-0.063f, 0.04f, 0}}},
            0.002f, kGreen);
    outline(*this, legs, {{{0.017f, -0.11f, 0}, {0.063f, -0.11f, 0}, {0.063f, 0.04f, 0}, {0.017f, 0.04f, 0}}},
            0.002f, kGreen);
    line(legs, {0, -0.02f, 0.002f}, {0, 0.12f, 0.002f}, 0.002f, kGreen);
    line(legs, {-0.02f, 0.095f, 0.002f}, {0, 0.12f, 0.002f}, 0.002f, kGreen);
    line(legs, {0.02f, 0.095f, 0.002f}, {0, 0.12f, 0.002f}, 0.002f, kGreen);
    const Vec3 torso = cockpit::torsoColour(local.health);
    outline(*this, O, {{{-0.105f, -0.021f, 0}, {0.105f, -0.021f, 0}, {0.105f, 0.051f, 0}, {-0.105f, 0.051f, 0}}},
            0.002f, torso);
    outline(*this, O, {{{-0.025f, 0.035f, 0}, {0.025f, 0.035f, 0}, {0.025f, 0.085f, 0}, {-0.025f, 0.085f, 0}}},
            0.002f, torso);
    line(O, {0, 0.065f, 0.004f}, {0, 0.13f, 0.004f}, 0.003f, kAmber);
    text("LEGS / TORSO", at(O, {-0.15f, -0.13f, 0.003f}), 0.0055f, kGreen);
    text("TARGETS " + std::to_string(static_cast<u32>(world.kills)), at(O, {-0.16f, -0.17f, 0.0f}), 0.0065f,
         kGreen);

    // Radar.
    const Matrix R = at(C, radarAnchor);
    for (const float radius : {0.06f, 0.12f, 0.18f}) ring(*this, R, 0, 0, 0, radius, 48, kDimGreen, 0.001f);
    line(R, {-0.19f, 0, 0}, {0.19f, 0, 0}, 0.001f, kDimGreen);
    line(R, {0, -0.19f, 0}, {0, 0.19f, 0}, 0.001f, kDimGreen);
    for (const Target& target : world.targets) {
        const std::optional<RadarPoint> p = radarTarget(local, target);
        if (!p) continue;
        box(vant::chain(R, vant::translation(p->x, p->y, 0.002f), vant::scaling(0.003f, 0.003f, 0.001f)),
            radarTargetColour(world.campaign, target));
    }
    const auto radarMarker = [&](Vec3 point, const std::string& label, Vec3 colour) {
        const RadarPoint p = clampedRadarProjection(local, point);
        const std::array<Vec3, 4> diamond{{{p.x, p.y + 0.009f, 0.005f},
                                           {p.x + 0.009f, p.y, 0.005f},
                                           {p.x, p.y - 0.009f, 0.005f},
                                           {p.x - 0.009f, p.y, 0.005f}}};
        outline(*this, R, diamond, 0.002f, colour);
        text(label, at(R, {p.x + 0.01f, p.y + 0.006f, 0.006f}), 0.003f, colour);
    };
    for (const RadarMarker& marker : radarMarkers(world)) radarMarker(marker.point, marker.label, marker.colour);
    const float localHeading = torsoHeading(local);
    for (const Pilot& p : radarPilots(world)) {
        const RadarPoint q = clampedRadarProjection(local, p.position);
        const Vec3 colour = pilotColour(p.slot);
        const bool dead = p.dead || p.health <= 0.0f;
        const std::string label = numberedLabel('P', p.slot + 1LL);
        if (dead) {
            line(R, {q.x - 0.004f, q.y - 0.004f, 0.005f}, {q.x + 0.004f, q.y + 0.004f, 0.005f}, 0.002f, kDimGreen);
            line(R, {q.x - 0.004f, q.y + 0.004f, 0.005f}, {q.x + 0.004f, q.y - 0.004f, 0.005f}, 0.002f, kDimGreen);
        } else {
            const float h = torsoHeading(p) - localHeading;
            const float s = std::sin(h);
            const float c = std::cos(h);
            const Vec3 tip{q.x - 0.009f * s, q.y + 0.009f * c, 0.005f};
            const Vec3 base{q.x + 0.0045f * s, q.y - 0.0045f * c, 0.005f};
            const Vec3 side{0.005f * c, 0.005f * s, 0.0f};
            line(R, tip, base + side, 0.002f, colour);
            line(R, tip, base - side, 0.002f, colour);
            line(R, base + side, base - side, 0.002f, colour);
        }
        text(label, at(R, {q.x + 0.007f, q.y + 0.004f, 0.006f}), 0.003f, dead ? kDimGreen : colour);
        if (!dead && world.missionTime < p.map_ping[0]) {
            const float radius = 0.012f + 0.005f * (1.0f + std::sin(8.0f * world.missionTime));
            ring(*this, R, q.x, q.y, 0.005f, radius, 24, colour, 0.002f);
        }
        if (world.missionTime < p.map_ping[1]) {
            const RadarPoint t = clampedRadarProjection(local, world.mapPingPosition(p));
            ring(*this, R, t.x, t.y, 0.005f, 0.013f + 0.003f * std::sin(8.0f * world.missionTime), 24, colour,
                 0.002f);
            line(R, {t.x - 0.007f, t.y, 0.005f}, {t.x + 0.007f, t.y, 0.005f}, 0.002f, colour);
            line(R, {t.x, t.y - 0.007f, 0.005f}, {t.x, t.y + 0.007f, 0.005f}, 0.002f, colour);
            text(label, at(R, {t.x + 0.014f, t.y, 0.006f}), 0.003f, colour);
        }
    }
    // In front of the cross line it runs along, or the two fight for depth.
    line(R, {0, 0, 0.002f}, {0, 0.035f, 0.002f}, 0.003f, kAmber);

    // Torso gauge.
    const Matrix G = at(C, torsoAnchor);
    // Bar, ticks and pointer each a little in front of what lies under it.
    line(G, {-0.1f, 0.018f, 0.001f}, {0.1f, 0.018f, 0.001f}, 0.0015f, kDimGreen);
    for (const float x : {-0.1f, 0.0f, 0.1f}) line(G, {x, 0.012f, 0.0015f}, {x, 0.026f, 0.0015f}, 0.001f, kGreen);
    const float px = cockpit::torsoPointer(local);
    line(G, {px, 0.008f, 0.002f}, {px, 0.035f, 0.002f}, 0.002f, kAmber);
    text(cockpit::torsoDegrees(local), at(G, {-0.035f, -0.013f, 0.001f}), 0.006f, kGreen);

    // Heading.
    const Matrix H = at(C, headingAnchor);
    text(cockpit::headingText(local), at(H, {-0.155f, 0.04f, 0.0f}), 0.009f, kGreen);
    text("TORSO +/-90", at(H, {-0.155f, -0.025f, 0.0f}), 0.006f, kDimGreen);
}

}  // namespace bastion
