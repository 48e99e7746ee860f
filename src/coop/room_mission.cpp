#include <algorithm>
#include <cmath>

#include "coop/room.h"

namespace bastion::coop {
namespace {

constexpr float kMaxStep = 0.1f;
constexpr float kStaleInput = 0.3f;
constexpr float kEjectionTime = 7.0f;

bool alive(const Pilot& pilot) { return !pilot.dead && pilot.health > 0.0f; }

bool ejecting(const Pilot& pilot) { return pilot.dead && pilot.ejection < kEjectionTime; }

// A ping stays on a target only while that target can still be seen.
void refreshPing(const World& world, Pilot& pilot) {
    const int index = pilot.ping_target;
    if (index >= 0 && static_cast<std::size_t>(index) < world.targets.size()) {
        const Target& target = world.targets[static_cast<std::size_t>(index)];
        if (target.active && !target.hidden && target.health > 0.0f) {
            pilot.ping_position = target.position;
            return;
        }
    }
    pilot.ping_target = -1;
}

}  // namespace

void Room::start() {
    World fresh;
    fresh.coop = true;
    fresh.difficulty = static_cast<int>(hard);
    fresh.loadMission(root, mission, progression.rules.campaign, true);
    std::vector<u32> slots;
    for (const Player& member : players) slots.push_back(member.slot);
    const std::vector<Vec3> spawns = spawnPositions(fresh, slots);
    const float heading = fresh.pilot.angles[0];
    world = std::move(fresh);

    for (std::size_t i = 0; i < players.size(); ++i) {
        Player& member = players[i];
        world.pilot = Pilot{};
        world.pilot.position = spawns[i];
        world.pilot.angles[0] = heading;
        world.pilot.slot = static_cast<int>(member.slot);
        world.pilot.status = kStatusActive;
        world.configure(member.loadout, ArmRig{});
        member.pilot = world.pilot;
        member.input = Input{};
        member.inputAge = 100.0f;
        member.ready = false;
    }
    world.session.clear();
    phase = kDeployed;
    ++revision;
    ++round;
}

void Room::links(std::size_t i) {
    world.session.clear();
    for (std::size_t j = 0; j < players.size(); ++j) world.session.push_back(j == i ? &world.pilot : &players[j].pilot);
}

void Room::step(float dt) {
    dt = std::isnan(dt) ? 0.0f : std::clamp(dt, 0.0f, kMaxStep);
    if (phase == kDeployed) {
        stepDeployed(dt);
    } else if (phase == kWon || phase == kFailed) {
        stepOutro(dt);
    }
}

void Room::stepDeployed(float dt) {
    for (std::size_t i = 0; i < players.size(); ++i) {
        Player& member = players[i];
        refreshPing(world, member.pilot);
        member.inputAge += dt;
        world.pilot = member.pilot;
        links(i);
        const bool usable = member.inputAge <= kStaleInput && member.input.focused && member.input.head;
        world.step(usable ? member.input : neutralInput(), dt, false);
        member.pilot = world.pilot;
    }

    const auto lead = std::find_if(players.begin(), players.end(), [](const Player& p) { return alive(p.pilot); });
    if (lead == players.end()) {
        if (std::none_of(players.begin(), players.end(), [](const Player& p) { return p.pilot.ejection < kEjectionTime; }))
            returnToSelection("MISSION FAILED - ALL PILOTS LOST");
        world.session.clear();
        return;
    }
    world.pilot = lead->pilot;
    links(static_cast<std::size_t>(lead - players.begin()));
    world.stepProjectiles(dt);
    world.stepMission(dt);
    lead->pilot = world.pilot;

    if (lead->pilot.status == kStatusWon) {
        progression.complete(mission);
        progression.selectedMission = progression.nextMission();
        phase = kWon;
        ++revision;
    } else if (lead->pilot.status == kStatusLost && !lead->pilot.dead) {
        phase = kFailed;
        ++revision;
    }
    if (phase == kWon || phase == kFailed) {
        const int status = phase == kWon ? kStatusWon : kStatusLost;
        for (Player& member : players)
            if (!member.pilot.dead) member.pilot.status = status;
    }
    world.session.clear();
}

void Room::stepOutro(float dt) {
    for (Player& member : players) {
        if (!ejecting(member.pilot)) continue;
        world.pilot = member.pilot;
        world.stepEjection(dt);
        member.pilot = world.pilot;
    }
    if (phase == kFailed && std::none_of(players.begin(), players.end(), [](const Player& p) { return ejecting(p.pilot); }))
        returnToSelection("MISSION FAILED");
}

}  // namespace bastion::coop
