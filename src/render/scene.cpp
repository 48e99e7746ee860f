#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include <GL/glew.h>

#include "render/internal/cockpit_frame.h"
#include "render/internal/scene_texts.h"
#include "render/renderer.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

// The world is drawn far to near in three depth slices, each with its own
// projection, so near geometry keeps its depth precision.
constexpr std::array<std::array<float, 2>, 3> kSlices{{{512.0f, 3000.0f}, {64.0f, 512.0f}, {0.75f, 64.0f}}};

struct MarkerStyle {
    float spread;
    Vec3 colour;
    float labelX;
    float labelY;
};

constexpr Vec3 kMarkerGreen{0.6f, 1.0f, 0.8f};
// The co-op notice and spectator lines, a paler green than the markers.
constexpr Vec3 kNoticeGreen{0.7f, 1.0f, 0.8f};
constexpr MarkerStyle kHeadMarker{0.065f, kMarkerGreen, -0.018f, 0.12f};
constexpr MarkerStyle kTargetMarker{0.065f, {1.0f, 0.85f, 0.1f}, -0.018f, -0.055f};
constexpr MarkerStyle kLeftMarker{0.035f, kMarkerGreen, -0.1f, -0.055f};
constexpr MarkerStyle kRightMarker{0.05f, kMarkerGreen, 0.08f, -0.055f};

vant::Matrix offsetFrom(const vant::Matrix& frame, float x, float y, float z) {
    return vant::multiply(frame, vant::translation(x, y, z));
}

}  // namespace

void Renderer::drawScene(const World& world, const Matrix& projection, const Matrix& camera, const Matrix& hud,
                         bool paused, const Frontend* frontend) {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glClearColor(world.skyColour.x, world.skyColour.y, world.skyColour.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
    const Matrix inverseCamera = vant::rigidInverse(camera);
    frameMatrix = vant::multiply(projection, inverseCamera);

    const Pilot& pilot = world.pilot;
    const Matrix cockpit = cockpitFrame(pilot);
    if (frontend != nullptr && frontend->screen != Frontend::kPlaying) {
        this->frontend(*frontend, cockpit);
        return;
    }

    Matrix horizonProjection = projection;
    horizonProjection[10] = -1.0005001f;
    horizonProjection[14] = -1.5003752f;
    frameMatrix = vant::multiply(horizonProjection, inverseCamera);
    horizon(world);

    viewMatrix = inverseCamera;
    sliceCulling = true;
    for (const auto& [near, far] : kSlices) {
        sliceNear = near;
        sliceFar = far;
        frameMatrix = vant::multiply(depthFitted(projection, std::max(near - 0.02f, 0.75f), far + 0.02f), viewMatrix);
        glClear(GL_DEPTH_BUFFER_BIT);
        drawWorldLayer(world, camera, paused, frontend);
    }
    sliceCulling = false;

    const Matrix headUp = offsetFrom(hud, 0.0f, 0.0f, -2.0f);
    if (frontend != nullptr && frontend->spectating) {
        frameMatrix = vant::multiply(projection, inverseCamera);
        glClear(GL_DEPTH_BUFFER_BIT);
        text(spectatingLine(*frontend), offsetFrom(headUp, -0.65f, 0.55f, 0.0f), 0.009f, kNoticeGreen);
        text(frontend->voiceLine, offsetFrom(headUp, -0.6f, -0.5f, 0.0f), 0.008f, kNoticeGreen);
        return;
    }

    if (!pilot.dead) {
        glClear(GL_DEPTH_BUFFER_BIT);
        frameMatrix = vant::multiply(projection, inverseCamera);
        if (!pilot.missile.active) drawArms(world);
        drawCockpit(world, camera, paused);
    }

    // Head-up display.
    if (pilot.status == kStatusKilled) {
        if (const std::optional<std::string> line = ejectionLine(pilot.ejection))
            text(*line, offsetFrom(cockpit, -0.38f, 0.2f, -1.2f), 0.014f, {1.0f, 0.15f, 0.05f});
        return;
    }

    if (!pilot.missile.active && !pilot.dead) {
        glDisable(GL_DEPTH_TEST);
        const auto marker = [&](Vec3 point, const char* label, const MarkerStyle& style) {
            const std::optional<Matrix> K = aimMarkerFrame(hud, point);
            if (!K) return;
            const float s = style.spread;
            const Matrix bars[4] = {
                {0.011f, 0, 0, 0, 0, 0.004f, 0, 0, 0, 0, 0.001f, 0, -s, 0, 0, 1},
                {0.011f, 0, 0, 0, 0, 0.004f, 0, 0, 0, 0, 0.001f, 0, s, 0, 0, 1},
                {0.004f, 0, 0, 0, 0, 0.011f, 0, 0, 0, 0, 0.001f, 0, 0, -s, 0, 1},
                {0.004f, 0, 0, 0, 0, 0.011f, 0, 0, 0, 0, 0.001f, 0, 0, s, 0, 1},
            };
            for (const Matrix& bar : bars) box(vant::multiply(*K, bar), style.colour);
            text(label, offsetFrom(*K, style.labelX, style.labelY, 0.0f), 0.009f, style.colour);
        };
        const float yaw = pilot.angles[2];
        const float pitch = pilot.angles[3];
        const Vec3 aim{-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
        marker(world.traceAim(eyePosition(pilot), aim, 1000.0f).end, "H", kHeadMarker);
        if (pilot.homing_target >= 0 && static_cast<std::size_t>(pilot.homing_target) < world.targets.size())
            marker(world.targets[static_cast<std::size_t>(pilot.homing_target)].position, "T", kTargetMarker);
        const Arm& left = pilot.arms[0];
        const Arm& right = pilot.arms[1];
        if (left.tracked) marker(world.traceAim(left.muzzle, left.forward, 1000.0f).end, "L", kLeftMarker);
        if (right.tracked) marker(world.traceAim(right.muzzle, right.forward, 1000.0f).end, "R", kRightMarker);
        glEnable(GL_DEPTH_TEST);
    }

    const auto headUpText = [&](const std::string& words, const HeadUpPlacement& at, Vec3 colour) {
        text(words, offsetFrom(headUp, at.x, at.y, 0.0f), at.size, colour);
    };
    if (frontend != nullptr && frontend->coopActive) headUpText(frontend->voiceLine, kCoopNoticePlacement, kNoticeGreen);

    if (world.missionIndex >= 0) {
        const std::vector<std::string> lines = missionTextLines(world);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Vec3 origin = missionLineOrigin(torsoAnchor, i, lines[i].size());
            text(lines[i], offsetFrom(cockpit, origin.x, origin.y, origin.z), kMissionTextSize, {0.75f, 1.0f, 0.7f});
        }
        if (pilot.status == kStatusWon || pilot.status == kStatusLost) {
            if (frontend != nullptr) {
                headUpText(frontend->resultLine, kResultPlacement, {1.0f, 0.8f, 0.3f});
                headUpText(frontend->secondResultLine, kSaveNoticePlacement, {1.0f, 0.4f, 0.3f});
            }
            headUpText(missionHeadline(world, frontend), kHeadlinePlacement, {1.0f, 0.8f, 0.3f});
            headUpText(missionPrompt(world, frontend), kPromptPlacement, {0.8f, 1.0f, 0.8f});
        }
    }

    if (pilot.missile.active) {
        text("CRUISE / HEAD GUIDANCE", offsetFrom(headUp, -0.34f, 0.64f, 0.0f), 0.01f, {0.6f, 0.85f, 0.8f});
        if (paused) text("PAUSED", offsetFrom(headUp, -0.12f, 0.16f, 0.0f), 0.015f, {1.0f, 0.7f, 0.3f});
    }
}

bool Renderer::visibleWorld(const Model& model, const Matrix& M) const {
    if (!sliceCulling) return true;
    return withinDepthSlice(viewMatrix, M, model.min, model.max, sliceNear, sliceFar);
}

}  // namespace bastion
