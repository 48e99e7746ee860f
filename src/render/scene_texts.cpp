#include "render/internal/scene_texts.h"

#include <algorithm>
#include <cmath>

#include "render/internal/cockpit_readings.h"
#include "render/internal/radar.h"
#include "render/renderer.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {

std::vector<std::string> missionTextLines(const World& world) {
    std::vector<std::string> lines = missionLines(world.objectiveText, 26);
    lines.push_back(cockpit::armourLine(world));
    return lines;
}

Vec3 missionLineOrigin(Vec3 torsoAnchor, std::size_t index, std::size_t length) {
    return {torsoAnchor.x - static_cast<float>(length) * 2.0f * kMissionTextSize,
            torsoAnchor.y + 0.18f - 0.028f * static_cast<float>(index), torsoAnchor.z + 0.25f};
}

std::string missionHeadline(const World& world, const Frontend* frontend) {
    const bool coopWon = frontend != nullptr && frontend->resultCode == 1;
    const int status = world.pilot.status;
    return status == kStatusWon || (status == kStatusLost && coopWon) ? "MISSION COMPLETE" : "MISSION FAILED";
}

std::string missionPrompt(const World& world, const Frontend* frontend) {
    if (world.prototype) return "ENTER: EXIT PROTOTYPE";
    if (frontend != nullptr && frontend->coopActive) return "ENTER / MENU: MISSION CONTROLS";
    if (world.pilot.status == kStatusWon) return "ENTER / MENU: MISSION SELECT";
    return "ONE LIFE LOST - ENTER: MISSION SELECT";
}

std::optional<std::string> ejectionLine(float ejection) {
    if (ejection >= 1.5f) return std::nullopt;
    return ejection < 1.0f ? "REACTOR FAILURE" : "EJECT EJECT EJECT";
}

std::string spectatingLine(const Frontend& frontend) {
    std::vector<const Pilot*> living;
    for (const Pilot& pilot : frontend.otherPilots) {
        if (!pilot.dead && pilot.health > 0.0f) living.push_back(&pilot);
    }
    std::string name = "WAITING";
    if (!living.empty()) {
        // The shell only ever counts the cursor up; a negative one still picks a pilot.
        const auto count = static_cast<long long>(living.size());
        const long long index = ((static_cast<long long>(frontend.spectateIndex) % count) + count) % count;
        name = numberedLabel('P', living[static_cast<std::size_t>(index)]->slot + 1LL);
    }
    return "SPECTATING " + name + " - STICK RIGHT / TAB: NEXT";
}

std::optional<vant::Matrix> aimMarkerFrame(const vant::Matrix& hud, Vec3 p) {
    const Vec3 offset{p.x - hud[12], p.y - hud[13], p.z - hud[14]};
    const auto column = [&hud](int c) { return Vec3{hud[4 * c], hud[4 * c + 1], hud[4 * c + 2]}; };
    const float z = dot(column(2), offset);
    if (z >= -0.1f) return std::nullopt;
    const float d = -z;
    const float D = d < 8.0f ? 8.0f : std::min(d, 120.0f);
    const float x = dot(column(0), offset) * D / d;
    const float y = dot(column(1), offset) * D / d;
    const float s = D / 2.0f;
    return vant::multiply(hud, vant::Matrix{s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, x, y, -D, 1});
}

vant::Matrix depthFitted(const vant::Matrix& projection, float near, float far) {
    vant::Matrix fitted = projection;
    fitted[10] = -(far + near) / (far - near);
    fitted[14] = -2.0f * far * near / (far - near);
    return fitted;
}

bool withinDepthSlice(const vant::Matrix& view, const vant::Matrix& M, Vec3 min, Vec3 max, float near, float far) {
    const Vec3 c = (min + max) * 0.5f;
    const vant::Matrix eye = vant::multiply(view, M);
    const float z = eye[2] * c.x + eye[6] * c.y + eye[10] * c.z + eye[14];
    float scale = 0.0f;
    for (int column = 0; column < 3; ++column)
        scale = std::max(scale, std::hypot(M[4 * column], M[4 * column + 1], M[4 * column + 2]));
    const float r = length(max - min) * 0.5f * scale;
    return r - z >= near - 0.02f && -z - r <= far + 0.02f;
}

}  // namespace bastion
