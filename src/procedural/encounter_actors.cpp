#include "procedural/internal/encounter_actors.h"

#include "world/world.h"

namespace bastion::encounter {

const Target* findTemplate(const std::vector<Target>& templates, int unitType) {
    for (const Target& candidate : templates) {
        if (candidate.unitType == unitType && candidate.mesh && !candidate.mesh->empty() && candidate.health > 0.0f)
            return &candidate;
    }
    return nullptr;
}

Target freshActor(const Target& source) {
    Target actor = source;
    actor.active = true;
    actor.destroyed = false;
    actor.hidden = false;
    actor.critical = false;
    actor.hasDestination = false;
    actor.derived = false;
    actor.dropped = false;
    actor.action = 0;
    actor.trigger = 0;
    actor.flags = 0;
    actor.behaviour = 0;
    actor.tag = 255;
    actor.route.clear();
    actor.routeIndex = 0;
    actor.boundsReady = false;
    return actor;
}

void settle(World& world, Target& actor, Vec3 point, float yaw, float bottom) {
    actor.home = point;
    actor.homeYaw = yaw;
    world.updateEnemyBounds(actor);
    actor.home.x += point.x - actor.position.x;
    actor.home.z += point.z - actor.position.z;
    actor.home.y += bottom - (actor.position.y - actor.extent.y);
    world.updateEnemyBounds(actor);
}

void restartAi(Target& actor) {
    actor.state = 0;
    actor.group = -1;
    actor.chosenPilot = -1;
    actor.retargetTimer = 0.0f;
    actor.trackPhase = 0.0f;
    actor.attackSlot = -1;
    actor.targetSlot = -1;
    actor.host = -1;
    actor.generator = -1;
    actor.parent = -1;
    actor.stateTimer = 0.0f;
    actor.alertTimer = 0.0f;
    actor.respawn = 0.0f;
    actor.roll = 0.0f;
    actor.pitch = 0.0f;
    actor.stuckTimer = 0.0f;
    actor.flash = 0.0f;
    actor.secondaryTimer = 0.0f;
    actor.cruiseDelay = 0.0f;
    actor.burstLeft = 0;
    actor.secondaryLeft = 0;
    actor.passes = 0;
    actor.sideCounter = 0;
    actor.velocity = {};
    actor.mountOffset = {};
    actor.started = false;
    actor.rocketUsed = false;
    actor.anchor = actor.home;
    actor.initialYaw = actor.homeYaw;
    actor.turretYaw = actor.homeYaw;
    actor.turretPitch = 0.0f;
    actor.initialHealth = actor.health;
    actor.lastHealth = actor.health;
}

}  // namespace bastion::encounter
