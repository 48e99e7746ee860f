#pragma once

#include "world/math.h"
#include "world/weapon.h"

namespace bastion {

struct Arm {
    Vec3 shoulder;
    Vec3 elbow;
    Vec3 wrist;
    Vec3 muzzle;
    Vec3 forward{0.0f, 0.0f, -1.0f};
    Quaternion grip;
    Quaternion aim;
    bool tracked = false;
};

// The player's arm geometry, read from the rig file by the renderer.
struct ArmRig {
    float trackingScale = 6.0f;
    float upperLength = 2.1f;
    float foreLength = 1.8f;
    Vec3 muzzle[5] = {
        {-0.34f, 0.08f, -2.28f},
        {-0.0122386f, 0.928f, -4.954952f},
        {-0.92f, 0.03f, -5.24f},
        {0.199035f, 1.165f, -4.668215f},
        {0.1062787f, 0.92f, -4.846631f},
    };
};

// A pilot's guided cruise missile.
struct Missile {
    bool active = false;
    Vec3 position;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float life = 0.0f;
    float launchYaw = 0.0f;
    float headYaw = 0.0f;
    float headPitch = 0.0f;
};

// Punch detector of one hand.
struct Gesture {
    Vec3 last;
    bool valid = false;
    bool armed = true;
    float cooldown = 0.0f;

    // Feeds one hand sample; true when it completes a punch.
    bool sample(Vec3 position, bool handValid, float dt);
};

enum PilotStatus : int {
    kStatusIdle = 0,
    kStatusActive = 1,
    kStatusWon = 2,
    kStatusKilled = 3,
    kStatusLost = 4,
};

// One player's walker.
struct Pilot {
    Vec3 position{0.0f, 0.0f, 35.0f};
    Vec3 transitDestination;
    float transitTimer = 0.0f;
    bool inTransit = false;
    float angles[4] = {0, 0, 0, 0};  // body yaw, torso yaw, aim yaw, aim pitch
    float cooldown[6] = {0, 0, 0, 0, 0, 0};
    u32 shots[6] = {0, 0, 0, 0, 0, 0};
    int burst[6] = {0, 0, 0, 0, 0, 0};
    int ammo[6] = {400, 400, 40, 40, 60, 8};
    Weapon weapons[6] = {1, 1, 2, 2, 5, 8};
    ArmRig rig;
    Arm arms[2];
    int punches[2] = {0, 0};
    float flash[2] = {0, 0};
    float punchCooldown[2] = {0, 0};
    Gesture gestures[2];
    bool fireLatch[6] = {false, false, false, false, false, false};
    bool punchLatch[2] = {false, false};
    bool pingLatch[2] = {false, false};
    Missile missile;
    bool dead = false;
    float ejection = 0.0f;
    float health = 100.0f;
    int status = kStatusIdle;
    float ammoFraction[6] = {0, 0, 0, 0, 0, 0};
    int slot = 0;
    float gait = 0.0f;
    float walk_speed = 0.0f;
    float map_ping[4] = {0, 0, 0, 0};
    int ping_target = -1;
    int homing_target = -1;
    Vec3 ping_position;
};

// The pilot's eye, the origin of its aim and of its sound listener.
inline Vec3 eyePosition(const Pilot& pilot) { return pilot.position + Vec3{0.0f, 12.0f, 0.0f}; }

// Body yaw plus torso yaw, wrapped: where the cockpit faces.
inline float torsoHeading(const Pilot& pilot) { return wrap(pilot.angles[0] + pilot.angles[1]); }

}  // namespace bastion
