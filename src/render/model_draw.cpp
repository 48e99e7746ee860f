#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include <GL/glew.h>

#include "render/internal/pose_matrix.h"
#include "render/internal/transforms.h"
#include "render/renderer.h"
#include "world/world.h"

namespace bastion {
namespace {

// The models held in a hand, and which one each hand weapon shows.
constexpr std::array<const char*, 5> kHeldNames = {"manipulator", "mounted-rifle-a", "mounted-cutter-a",
                                                    "mounted-shotgun-a", "mounted-heavy-machinegun-a"};
constexpr std::array<std::uint8_t, 11> kHeldByWeapon = {1, 0, 2, 0, 0, 0, 0, 0, 3, 0, 4};

const char* heldModel(Weapon weapon) {
    return weapon >= 1 && weapon <= 11 ? kHeldNames[kHeldByWeapon[weapon - 1]] : kHeldNames[0];
}

vant::Matrix translationTo(Vec3 p) { return vant::translation(p.x, p.y, p.z); }

}  // namespace

const Renderer::Model& Renderer::namedModel(const std::string& name) const {
    const auto found = models.find(name);
    if (found == models.end()) throw std::runtime_error("Missing decoded model: " + name);
    return found->second;
}

void Renderer::model(const std::string& name, const Matrix& matrix) {
    const Model& shown = namedModel(name);
    if (!visibleWorld(shown, matrix)) return;
    glUseProgram(cockpitProgram);
    glBindVertexArray(shown.vertexArray);
    const Matrix transform = vant::multiply(frameMatrix, matrix);
    glUniformMatrix4fv(cockpitTransformLocation, 1, GL_FALSE, transform.data());
    // The highlight viewer sits on the model's own +Z, whatever the camera.
    glUniform3f(cockpitEyeLocation, 0.0f, 0.0f, 8.0f);
    glDrawArrays(GL_TRIANGLES, 0, shown.count);
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
}

void Renderer::modelPreview(const std::string& name, const Matrix& matrix, float size, float angle) {
    const Model& shown = namedModel(name);
    const Vec3 extent = shown.max - shown.min;
    const float k = size / std::max(0.001f, std::max({extent.x, extent.y, extent.z}));
    const Vec3 centre = (shown.min + shown.max) * 0.5f;
    model(name, vant::chain(matrix, vant::rotationY(angle), vant::rotationX(0.12f), vant::scaling(k, k, k),
                            vant::translation(-centre.x, -centre.y, -centre.z)));
}

void Renderer::drawStormer(const Pilot& pilot, float tilt) {
    const auto found = rigs.find("stormbastion");
    if (found == rigs.end()) {
        model("stormbastion", vant::chain(translationTo(pilot.position + Vec3{0.0f, 5.54f, 0.0f}),
                                          vant::rotationY(pilot.angles[0]), vant::rotationX(tilt)));
        return;
    }
    const ModelRig& rig = found->second;
    const Model& walker = namedModel("stormbastion");
    if (walker.count != rig.meshVertices) throw std::runtime_error("Player animation/model mismatch");

    const WalkerPose pose = pilot.dead ? poseWalker(rig, pilot.gait, 0.0f, 0.0f)
                                       : poseWalker(rig, pilot.gait, pilot.walk_speed, pilot.angles[1]);
    const Matrix base =
        vant::chain(vant::translation(pilot.position.x, pilot.position.y - rig.floor, pilot.position.z),
                    vant::rotationY(pilot.angles[0]), vant::rotationX(tilt));

    glUseProgram(cockpitProgram);
    glBindVertexArray(walker.vertexArray);
    glUniform3f(cockpitEyeLocation, 0.0f, 0.0f, 8.0f);
    for (std::size_t i = 0; i < rig.parts.size(); ++i) {
        const WalkerPart& part = rig.parts[i];
        if (part.noFaces) continue;
        // A tracked arm of a living pilot is drawn by the arm drawing.
        if ((part.arm == 0 || part.arm == 1) && pilot.arms[static_cast<std::size_t>(part.arm)].tracked && !pilot.dead)
            continue;
        const Matrix W = vant::multiply(base, poseMatrix(pose.parts[i]));
        const Model bounds{walker.vertexArray, walker.buffer, walker.count, part.low, part.high};
        if (!visibleWorld(bounds, W)) continue;
        const Matrix transform = vant::multiply(frameMatrix, W);
        glUniformMatrix4fv(cockpitTransformLocation, 1, GL_FALSE, transform.data());
        glDrawArrays(GL_TRIANGLES, rig.spans[i].first, rig.spans[i].second);
    }
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
}

void Renderer::drawArms(const World& world) { drawArms(world.pilot); }

void Renderer::drawArms(const Pilot& pilot) {
    for (std::size_t hand = 0; hand < 2; ++hand) {
        const Arm& arm = pilot.arms[hand];
        if (!arm.tracked) continue;
        const std::string side = hand == 0 ? "left-" : "right-";
        const float w = torsoHeading(pilot);
        const Quaternion turn{0.0f, std::sin(w / 2.0f), 0.0f, std::cos(w / 2.0f)};
        model(side + "shoulder", vant::multiply(translationTo(arm.shoulder), rotationOf(turn)));
        model(side + "upper-arm", bone(arm.shoulder, arm.elbow, turn));
        model(side + "forearm", bone(arm.elbow, arm.wrist, arm.grip));
        // The left hand holds the mirror image of the right hand's model.
        const Matrix mirror = hand == 0 ? vant::scaling(-1.0f, 1.0f, 1.0f) : vant::identity;
        model(heldModel(pilot.weapons[hand]), vant::chain(translationTo(arm.wrist), rotationOf(arm.aim), mirror));
    }
}

}  // namespace bastion
