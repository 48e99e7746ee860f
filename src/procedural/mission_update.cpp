#include "procedural/internal/mission_update.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "world/world.h"

namespace bastion {
namespace {

constexpr int kStrike = 1;
constexpr int kRecon = 2;
constexpr float kLongestStep = 0.1f;
constexpr float kHeightTolerance = 2.0f;

float horizontalDistance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

// Whole units, truncated, for the HUD line.
std::string whole(float value) {
    if (!std::isfinite(value)) return "0";
    return std::to_string(static_cast<long long>(std::clamp(value, -1e15f, 1e15f)));
}

bool standing(const World& world, u64 index) {
    return index < world.targets.size() && world.targets[index].health > 0.0f;
}

bool destroyed(const World& world, u64 index) {
    return index < world.targets.size() && world.targets[index].health <= 0.0f;
}

bool atPoint(Vec3 pilot, Vec3 point, float radius) {
    return horizontalDistance(pilot, point) <= radius && std::fabs(pilot.y - point.y) < kHeightTolerance;
}

void advance(const World& world, ProceduralObjective& objective, float dt) {
    if (objective.done) return;
    if (objective.kind == kRecon) {
        if (atPoint(world.pilot.position, objective.centre, objective.radius)) {
            objective.holdTimer = std::min(objective.holdTimer + dt, objective.holdSeconds);
            objective.done = objective.holdTimer >= objective.holdSeconds;
        } else {
            objective.holdTimer = 0.0f;
            objective.done = objective.holdSeconds <= 0.0f;
        }
        return;
    }
    objective.done = !objective.targets.empty() &&
                     std::all_of(objective.targets.begin(), objective.targets.end(),
                                 [&](u64 index) { return destroyed(world, index); });
}

std::string progressLine(const World& world, const ProceduralObjective& current, std::size_t done,
                         std::size_t total) {
    const std::string tally = std::to_string(done) + "/" + std::to_string(total);
    const std::string metres = whole(horizontalDistance(world.pilot.position, current.centre)) + " M";
    if (current.kind == kRecon) {
        return "RECON " + tally + " / HOLD " + whole(current.holdTimer) + "/" + whole(current.holdSeconds) +
               " S / " + metres;
    }
    const auto left = std::count_if(current.targets.begin(), current.targets.end(),
                                    [&](u64 index) { return standing(world, index); });
    const std::string what = current.kind == kStrike ? "STRIKE " : "ELIMINATE ";
    const std::string those = current.kind == kStrike ? " STRUCTURES / " : " HOSTILES / ";
    return what + tally + " / " + std::to_string(left) + those + metres;
}

}  // namespace

void updateProceduralMission(World& world, float dt) {
    Pilot& pilot = world.pilot;
    ProceduralMission& mission = world.proceduralMission;
    if (!world.procedural || pilot.status != kStatusActive || pilot.dead || !(pilot.health > 0.0f) ||
        mission.objectives.empty()) {
        return;
    }
    const float step = std::isfinite(dt) && dt >= 0.0f ? std::min(dt, kLongestStep) : 0.0f;

    const ProceduralObjective* current = nullptr;
    std::size_t done = 0;
    for (ProceduralObjective& objective : mission.objectives) {
        advance(world, objective, step);
        if (objective.done) {
            ++done;
        } else if (!current) {
            current = &objective;
        }
    }
    if (current) {
        mission.extracting = false;
        world.objectiveText = progressLine(world, *current, done, mission.objectives.size());
        return;
    }

    mission.extracting = mission.extractionRequired;
    const bool extracted = !mission.extractionRequired ||
                           atPoint(pilot.position, mission.extraction, mission.extractionRadius);
    const std::string extract = "EXTRACT / " + whole(horizontalDistance(pilot.position, mission.extraction)) + " M";
    if (!extracted) {
        world.objectiveText = extract;
    } else if (!world.destructionPending()) {
        world.objectiveText = "PROCEDURAL / MISSION COMPLETE";
        pilot.status = kStatusWon;
    } else {
        world.objectiveText = mission.extractionRequired ? extract : "OBJECTIVES COMPLETE / WAIT FOR DEBRIS";
    }
}

}  // namespace bastion
