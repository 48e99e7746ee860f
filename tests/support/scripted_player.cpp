#include "support/scripted_player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "shell/desktop_input.h"
#include "shell/frontend/frontend.h"
#include "support/mission_goals.h"
#include "world/pilot.h"

namespace bastion::testing_support {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kQuarterTurn = kPi / 2.0f;
constexpr float kEighthTurn = kPi / 4.0f;
constexpr float kBodyTurnRate = 0.8f;    // radians per second while A or D is held
constexpr float kTorsoTurnRate = 1.35f;  // while Left or Right is held
constexpr float kTorsoLimit = kQuarterTurn;
constexpr float kNone = std::numeric_limits<float>::max();

// One frame of a desktop player: the keys held through the whole frame and
// the mouse motion during it, in whole pixels. The Input is made from these
// by the shell's own mapping, so the scripted player can give nothing that a
// keyboard and mouse cannot.
struct DesktopFrame {
    HeldKeys keys;
    float mouseX = 0.0f;
    float mouseY = 0.0f;
};

bool flying(const Target& t) { return t.position.y - t.extent.y > 6.0f; }

float ground(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

float bearing(Vec3 from, Vec3 to) { return std::atan2(-(to.x - from.x), -(to.z - from.z)); }

// Which way to hold a turning key through the frame (+1 raises the angle,
// 0 holds none) for an angle `error` short of its goal: a key turns at the
// full `rate` for the whole frame, so it is held only when that ends the
// frame nearer the goal.
int keyTurn(float error, float rate, float dt) {
    if (std::fabs(error) < 0.5f * rate * dt) return 0;
    return error > 0.0f ? 1 : -1;
}

// Holds the torso keys that bring the torso towards `wanted` on a body at
// yaw `body`; returns the torso heading after the frame.
float turnTorso(const Pilot& pilot, float wanted, float body, float dt, HeldKeys& keys) {
    const int turn = keyTurn(wanted - pilot.angles[1], kTorsoTurnRate, dt);
    keys.left = turn > 0;
    keys.right = turn < 0;
    const float torso = std::clamp(pilot.angles[1] + static_cast<float>(turn) * kTorsoTurnRate * dt, -kTorsoLimit,
                                   kTorsoLimit);
    return wrap(body + torso);
}

bool heldWhile(float clock, float period, float held) { return std::fmod(clock, period) < held; }

// The hips' grenade racks, to the torso's right (+1) and left (-1).
constexpr float kHipSides[] = {1.0f, -1.0f};

// Where a grenade from a hip lands, in horizontal distance from the eye, for
// an aim pitch: the flight of the projectile step, on ground of height
// `floor`.
float grenadeReach(const Pilot& pilot, float pitch, float floor, float dt, std::vector<Vec3>* path = nullptr,
                   float side = kHipSides[0]) {
    const Vec3 eye = eyePosition(pilot);
    const float heading = torsoHeading(pilot);
    const Vec3 right{std::cos(heading), 0.0f, -std::sin(heading)};
    const Vec3 muzzle = eye + right * (2.0f * side) + Vec3{0.0f, -6.0f, 0.0f};
    const Vec3 aim = eye + direction(heading, pitch) * 80.0f;
    const WeaponSpec& spec = weaponInfo(kGrenadeRack, 0);
    Vec3 velocity = normalize(aim - muzzle) * spec.speed;
    velocity.y += 30.0f;
    Vec3 p = muzzle;
    for (float t = 0.0f; t < 4.0f; t += dt) {
        if (path) path->push_back(p);
        velocity.y -= 18.0f * dt;
        const Vec3 next = p + velocity * dt;
        if (next.y <= floor) {
            const float f = (p.y - floor) / std::max(p.y - next.y, 1e-6f);
            return ground(eye, p + (next - p) * f);
        }
        p = next;
    }
    return kNone;
}

// The aim pitch that lobs a grenade `distance` away onto ground at `floor`,
// or NaN when it cannot reach.
float grenadePitch(const Pilot& pilot, float distance, float floor, float dt) {
    float previous = grenadeReach(pilot, -1.4f, floor, dt);
    for (float pitch = -1.38f; pitch < 0.6f; pitch += 0.02f) {
        const float reach = grenadeReach(pilot, pitch, floor, dt);
        if (reach == kNone) break;
        if (previous <= distance && reach >= distance) {
            const float f = (distance - previous) / std::max(reach - previous, 1e-4f);
            return pitch - 0.02f + 0.02f * f;
        }
        previous = reach;
    }
    return std::numeric_limits<float>::quiet_NaN();
}

// Where the mouse should bring the look or a hand: yaw on the torso, pitch.
struct Aim {
    float yaw = 0.0f;
    float pitch = 0.0f;
};

float aimError(float yaw, float pitch, Aim wanted) { return std::hypot(wrap(yaw - wanted.yaw), pitch - wanted.pitch); }

// The mouse motion of one frame. Without Z or C it moves the look, with Z the
// left hand, with C the right one, so each frame corrects whichever of them
// is furthest off. `hands` holds nullptr for a hand that needs no aim.
void moveMouse(const DesktopLook& look, Aim wantedLook, const Aim* const (&hands)[2], DesktopFrame& frame) {
    float yaw = look.yaw;
    float pitch = look.pitch;
    Aim wanted = wantedLook;
    float worst = aimError(yaw, pitch, wantedLook);
    int moved = -1;
    for (int hand = 0; hand < 2; ++hand) {
        if (hands[hand] == nullptr) continue;
        const DesktopHand& state = look.hands[hand];
        const float error = aimError(state.yaw, state.pitch, *hands[hand]);
        if (error > worst) {
            worst = error;
            moved = hand;
            yaw = state.yaw;
            pitch = state.pitch;
            wanted = *hands[hand];
        }
    }
    // Relative motion comes in whole pixels; moving the mouse right turns left.
    frame.mouseX = std::round(wrap(yaw - wanted.yaw) / kMouseRadiansPerPixel);
    frame.mouseY = std::round((pitch - wanted.pitch) / kMouseRadiansPerPixel);
    if (frame.mouseX == 0.0f && frame.mouseY == 0.0f) return;
    frame.keys.z = moved == 0;
    frame.keys.c = moved == 1;
}

// Water is crossed only on a deck that covers it: a road's corridor. A body
// of water is taken to be crossed along its narrow axis (a canal runs along
// its long one); 0 is x, 1 is z.
int crossingAxis(const ProceduralWater& body) {
    return body.bounds[2] - body.bounds[0] <= body.bounds[3] - body.bounds[1] ? 0 : 1;
}

float along(Vec3 p, int axis) { return axis == 0 ? p.x : p.z; }

bool segmentMeetsBox(Vec3 a, Vec3 b, const float (&box)[4]) {
    // Slab test on the ground plane.
    float t0 = 0.0f, t1 = 1.0f;
    const float start[2] = {a.x, a.z};
    const float delta[2] = {b.x - a.x, b.z - a.z};
    for (int k = 0; k < 2; ++k) {
        const float low = box[k], high = box[k + 2];
        if (std::fabs(delta[k]) < 1e-6f) {
            if (start[k] < low || start[k] > high) return false;
            continue;
        }
        float enter = (low - start[k]) / delta[k];
        float leave = (high - start[k]) / delta[k];
        if (enter > leave) std::swap(enter, leave);
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
        if (t0 > t1) return false;
    }
    return true;
}

// Where to walk for `goal` when water the walker cannot wade lies between:
// the near end of the bridge that makes the shortest way, then its far end.
// The goal itself when no water is in the way, or none of it is bridged.
Vec3 crossingWaypoint(const World& w, Vec3 from, Vec3 goal) {
    constexpr float kBeyondBank = 12.0f;  // the ends are on the road, clear of the banks
    constexpr float kWalkerRadius = 3.5f;
    for (const ProceduralWater& body : w.water) {
        const float* b = body.bounds;
        const int axis = crossingAxis(body);
        const int lateral = 1 - axis;
        const float low = b[axis], high = b[axis + 2];
        const float middle = 0.5f * (low + high);
        const float goalSide = along(goal, axis) < middle ? -1.0f : 1.0f;
        const float near = goalSide < 0.0f ? high + kBeyondBank : low - kBeyondBank;
        const float far = goalSide < 0.0f ? low - kBeyondBank : high + kBeyondBank;
        auto point = [&](float a, float l) { return axis == 0 ? Vec3{a, 0.0f, l} : Vec3{l, 0.0f, a}; };

        float best = kNone;
        Vec3 waypoint = goal;
        for (const Rectangle& deck : w.cover) {
            // A deck over this body, wide enough for the walker.
            if (!(deck[0] < b[2] && b[0] < deck[2] && deck[1] < b[3] && b[1] < deck[3])) continue;
            if (deck[axis] > low || deck[axis + 2] < high) continue;
            const float side0 = std::max(deck[lateral], b[lateral]);
            const float side1 = std::min(deck[lateral + 2], b[lateral + 2]);
            const float slack = 0.5f * (side1 - side0) - kWalkerRadius - 1.0f;
            if (slack <= 0.0f) continue;
            const float centre = 0.5f * (side0 + side1);
            const Vec3 entry = point(near, centre);
            const Vec3 exit = point(far, centre);
            const float a = along(from, axis);
            const bool between = (a - near) * (a - far) <= 0.0f;
            // On the deck already: straight on to its far end.
            if (between && std::fabs(along(from, lateral) - centre) < slack) {
                if (ground(from, exit) > 2.0f) return exit;
                continue;
            }
            const float fromSide = along(from, axis) < middle ? -1.0f : 1.0f;
            if (fromSide == goalSide) continue;
            const float way = ground(from, entry) + ground(entry, exit) + ground(exit, goal);
            if (way < best) {
                best = way;
                waypoint = entry;
            }
        }
        if (best == kNone) continue;
        // Only where the straight way wets a foot.
        const float box[4] = {b[0] - kWalkerRadius, b[1] - kWalkerRadius, b[2] + kWalkerRadius, b[3] + kWalkerRadius};
        if (!segmentMeetsBox(from, goal, box)) continue;
        bool dry = true;
        const float d = ground(from, goal);
        for (float s = 0.0f; s <= d && dry; s += 2.0f) {
            const Vec3 p = from + (goal - from) * (s / std::max(d, 1e-3f));
            dry = !w.hasWater(p.x, p.z, kWalkerRadius);
        }
        if (!dry) return waypoint;
    }
    return goal;
}

class Player {
public:
    DesktopFrame next(const World& w, const DesktopLook& look, float dt);

private:
    struct Goal {
        int target = -1;  // to shoot
        bool reach = false;
        Vec3 point;
        float radius = 0.0f;
    };

    Goal choose(const World& w) const;
    int nearestThreat(const World& w, float within) const;
    float steer(const World& w, const Goal& goal, float dt, HeldKeys& keys);
    void shoot(const World& w, int target, const DesktopLook& look, float body, float dt, DesktopFrame& frame);
    void rest(const World& w, const DesktopLook& look, float body, float dt, DesktopFrame& frame);
    bool clearShot(const World& w, Vec3 from, Vec3 to, int target) const;

    float clock_ = 0.0f;
    float stuck_ = 0.0f;
    float detour_ = 0.0f;
    float detourSide_ = 1.0f;
    float detourHeading_ = 0.0f;
    float backing_ = 0.0f;
    float circleSide_ = 1.0f;
    Vec3 lastPosition_;
    bool walked_ = false;
};

int Player::nearestThreat(const World& w, float within) const {
    int best = -1;
    float nearest = within;
    for (std::size_t i = 0; i < w.targets.size(); ++i) {
        const Target& t = w.targets[i];
        if (!hostile(w, t)) continue;
        const float d = ground(t.position, w.pilot.position);
        if (d < nearest) {
            nearest = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

Player::Goal Player::choose(const World& w) const {
    const Pilot& pilot = w.pilot;
    Goal goal;
    if (const int threat = nearestThreat(w, 60.0f); threat >= 0) {
        goal.target = threat;
        goal.point = w.targets[static_cast<std::size_t>(threat)].position;
        return goal;
    }
    float nearest = kNone;
    for (const Pickup& pickup : w.pickups) {
        if (pickup.collected) continue;
        const float d = ground(pickup.position, pilot.position);
        if (d < nearest) {
            nearest = d;
            goal = Goal{-1, true, pickup.position, 3.0f};
        }
    }
    if (goal.reach) return goal;

    // The goals of the mission, nearest first.
    for (std::size_t i = 0; i < w.targets.size(); ++i) {
        const Target& t = w.targets[i];
        if (!standing(t) || spare(w, t)) continue;
        const bool wanted = w.procedural ? procedurallyWanted(w, i)
                            : w.prototype ? t.prototypeObjective
                                          : objectiveStatic(w, t) || hostile(w, t);
        if (!wanted) continue;
        const float d = ground(t.position, pilot.position);
        if (d < nearest) {
            nearest = d;
            goal = Goal{static_cast<int>(i), false, t.position, 0.0f};
        }
    }
    if (goal.target >= 0) return goal;

    if (w.procedural) {
        const ProceduralMission& mission = w.proceduralMission;
        for (const ProceduralObjective& objective : mission.objectives) {
            if (!objective.done && objective.kind == 2) return Goal{-1, true, objective.centre, objective.radius * 0.5f};
        }
        if (mission.extracting) return Goal{-1, true, mission.extraction, mission.extractionRadius * 0.5f};
    }
    // Units still to come: the generators' and those waiting to be woken.
    for (const Generator& generator : w.generators) {
        if (generator.remaining <= 0) continue;
        const float reach = generator.activationRange > 0.0f ? generator.activationRange * 0.6f : 40.0f;
        const float d = ground(generator.anchor, pilot.position);
        if (d < nearest) {
            nearest = d;
            goal = Goal{-1, true, generator.anchor, reach};
        }
    }
    for (const Target& t : w.targets) {
        if (t.unitType < 0 || t.active || t.derived || t.hidden || t.health <= 0.0f || (t.flags & 7u) != 0) continue;
        if (t.unitType == 21) continue;
        const float d = ground(t.home, pilot.position);
        if (d < nearest) {
            nearest = d;
            goal = Goal{-1, true, t.home, std::min(t.range * 0.6f, 40.0f)};
        }
    }
    return goal;
}

bool Player::clearShot(const World& w, Vec3 from, Vec3 to, int target) const {
    const AimTrace trace = w.traceAim(from, to - from, length(to - from) + 2.0f);
    if (trace.target < 0 || trace.target == target) return true;
    return !spare(w, w.targets[static_cast<std::size_t>(trace.target)]);
}

// Holds the walking keys of the frame; returns the body yaw they give.
float Player::steer(const World& w, const Goal& goal, float dt, HeldKeys& keys) {
    const Pilot& pilot = w.pilot;
    const bool moved = ground(pilot.position, lastPosition_) > 0.05f * kPlayFrame / dt;
    stuck_ = walked_ && !moved ? stuck_ + dt : 0.0f;
    lastPosition_ = pilot.position;
    // Blocked: back off, then walk a while across the way.
    if (stuck_ > 0.4f) {
        backing_ = backing_ > 0.0f ? 0.0f : 0.8f;
        detour_ = 3.0f;
        detourSide_ = -detourSide_;
        detourHeading_ = wrap(pilot.angles[0] + detourSide_ * kQuarterTurn);
        circleSide_ = -circleSide_;
        stuck_ = 0.0f;
    }

    float heading = pilot.angles[0];
    bool walk = false;
    if (goal.target >= 0 || goal.reach) {
        const Vec3 at = goal.point;
        const float d = ground(at, pilot.position);
        const float toward = bearing(pilot.position, at);
        const Vec3 way = crossingWaypoint(w, pilot.position, at);
        if (way.x != at.x || way.z != at.z) {
            heading = bearing(pilot.position, way);
            walk = true;
        } else if (goal.reach) {
            heading = toward;
            walk = d > goal.radius;
        } else {
            const Target& t = w.targets[static_cast<std::size_t>(goal.target)];
            // Units are circled far enough out that their shots, aimed where
            // the walker was, fall behind it.
            // The heavy gunner is fought from the edge of its reach.
            const float reach = t.unitType == 19 ? 90.0f : t.unitType >= 0 ? 45.0f : 28.0f;
            const float standoff = reach + std::max(t.extent.x, t.extent.z);
            if (d > standoff + 12.0f) {
                heading = toward + 0.45f * std::sin(clock_ * 1.1f);
            } else {
                heading = toward + circleSide_ * (kQuarterTurn + std::clamp((standoff - d) / 10.0f, -0.7f, 0.7f));
            }
            walk = true;
        }
    }
    // Out of the way of blasts that still burn, own grenades' included.
    for (const WeaponEffect& blast : w.effects) {
        if (!(blast.damageRate > 0.0f) || blast.age >= 1.0f) continue;
        if (ground(blast.position, pilot.position) < blast.damageRadius + 8.0f) {
            heading = bearing(blast.position, pilot.position);
            walk = true;
        }
    }
    if (backing_ > 0.0f) {
        backing_ -= dt;
        keys.s = true;
        walked_ = true;
        return pilot.angles[0];
    }
    if (detour_ > 0.0f) {
        detour_ -= dt;
        heading = detourHeading_;
        walk = true;
    }
    const float error = wrap(heading - pilot.angles[0]);
    const int turn = keyTurn(error, kBodyTurnRate, dt);
    keys.a = turn > 0;
    keys.d = turn < 0;
    keys.w = walk && std::fabs(error) < 1.2f;
    walked_ = keys.w;
    return wrap(pilot.angles[0] + static_cast<float>(turn) * kBodyTurnRate * dt);
}

// `body` is the body yaw after this frame's walking keys: the look and the
// hands are aimed on the torso as it will stand when the shots leave.
void Player::shoot(const World& w, int index, const DesktopLook& look, float body, float dt, DesktopFrame& frame) {
    const Pilot& pilot = w.pilot;
    const Target& t = w.targets[static_cast<std::size_t>(index)];
    const Vec3 eye = eyePosition(pilot);
    const float distance = length(t.position - eye);

    // Torso towards the target, within its limits on the body.
    const float wantedTorso = std::clamp(wrap(bearing(eye, t.position) - body), -kTorsoLimit, kTorsoLimit);
    const float torso = turnTorso(pilot, wantedTorso, body, dt, frame.keys);

    // Lead a moving target by the flight time of the shot.
    auto lead = [&](Vec3 from, float speed) {
        Vec3 aim = t.position;
        for (int k = 0; k < 2; ++k) aim = t.position + t.velocity * (length(aim - from) / std::max(speed, 1.0f));
        return aim;
    };
    // A shot this far off the target's centre still hits it.
    const float size = std::max({t.extent.x, t.extent.y, t.extent.z});
    const float tolerance = std::clamp(std::atan2(0.7f * size, std::max(distance, 1.0f)), 0.01f, 0.08f);

    // The look, which aims the shoulder and hip mounts.
    const Vec3 lookAt = lead(eye, 100.0f);
    const float lookYaw = wrap(bearing(eye, lookAt) - torso);
    const float lookPitch = std::atan2(lookAt.y - eye.y, std::max(ground(lookAt, eye), 0.01f));
    Aim wantedLook{std::clamp(lookYaw, -kEighthTurn, kEighthTurn),
                   std::clamp(lookPitch, -kLookPitchLimit, kLookPitchLimit)};

    // The hands, which aim the held weapons.
    Aim wantedHands[2];
    const Aim* handAims[2] = {nullptr, nullptr};
    Vec3 handAt[2];
    Vec3 handFrom[2];
    for (int hand = 0; hand < 2; ++hand) {
        const Vec3 from = pilot.arms[hand].tracked ? pilot.arms[hand].muzzle : eye;
        const Vec3 aim = lead(from, weaponInfo(pilot.weapons[hand], w.campaign).speed);
        handFrom[hand] = from;
        handAt[hand] = aim;
        const float yaw = wrap(bearing(from, aim) - torso);
        const float pitch = std::atan2(aim.y - from.y, std::max(ground(aim, from), 0.01f));
        wantedHands[hand] = {std::clamp(yaw, -kQuarterTurn, kQuarterTurn),
                             std::clamp(pitch, -kHandPitchLimit, kHandPitchLimit)};
        if (pilot.weapons[hand] != kEmptyHand) handAims[hand] = &wantedHands[hand];
    }

    // Grenades, lobbed from the hips at what stands on the ground.
    bool lob = false;
    const bool grenades = pilot.weapons[4] == kGrenadeRack || pilot.weapons[5] == kGrenadeRack;
    const float flat = ground(t.position, eye);
    if (grenades && !flying(t) && flat > 24.0f && flat < 70.0f && std::fabs(lookYaw) < kEighthTurn - 0.03f &&
        heldWhile(clock_, 0.6f, 0.1f)) {
        bool nearSpared = false;
        for (const Target& other : w.targets) {
            if (standing(other) && spare(w, other) && ground(other.position, t.position) < 22.0f) nearSpared = true;
        }
        // Grenades already on their way may be enough.
        const auto inFlight = std::count_if(w.projectiles.begin(), w.projectiles.end(), [](const Projectile& p) {
            return p.mount >= 0 && p.weapon == kGrenadeRack;
        });
        const bool enough = static_cast<float>(inFlight) * weaponInfo(kGrenadeRack, w.campaign).damage >= t.health;
        const float pitch = grenadePitch(pilot, flat, t.position.y, dt);
        // Nothing near the walker stands in either hip's grenade's way: both
        // fire, and one that bursts on a wall beside the walker hurts it.
        bool blocked = false;
        for (const float side : kHipSides) {
            std::vector<Vec3> path;
            if (std::isfinite(pitch)) grenadeReach(pilot, pitch, t.position.y, dt, &path, side);
            for (std::size_t k = 1; k < path.size() && !blocked; ++k) {
                const Vec3 step = path[k] - path[k - 1];
                const AimTrace trace = w.traceAim(path[k - 1], step, length(step));
                blocked = trace.target >= 0 && trace.target != index && ground(trace.end, pilot.position) < 30.0f;
            }
        }
        if (!nearSpared && !enough && !blocked && std::isfinite(pitch)) {
            lob = true;
            wantedLook.pitch = pitch;
        }
    }

    moveMouse(look, wantedLook, handAims, frame);
    DesktopLook after = look;
    applyMouseMotion(after, frame.keys, frame.mouseX, frame.mouseY);
    HeldKeys& keys = frame.keys;

    for (int hand = 0; hand < 2; ++hand) {
        const DesktopHand& state = after.hands[hand];
        const bool aimed = std::fabs(wantedHands[hand].yaw) < kQuarterTurn - 0.05f &&
                           aimError(state.yaw, state.pitch, wantedHands[hand]) < tolerance && distance < 160.0f &&
                           clearShot(w, handFrom[hand], handAt[hand], index);
        if (!aimed) continue;
        bool& trigger = hand == 0 ? keys.mouseLeft : keys.mouseRight;
        const Weapon weapon = pilot.weapons[hand];
        if (weapon == kRifle) trigger = heldWhile(clock_, 0.4f, 0.3f);
        if (weapon == kHeavyMG) trigger = true;
        if (weapon == kShotgun && distance < 45.0f) trigger = heldWhile(clock_, 0.9f, 0.2f);
    }

    const float lookError = aimError(after.yaw, after.pitch, wantedLook);
    if (lob) {
        // The lob needs its pitch; a near miss of it lands far off.
        if (lookError < 0.01f) {
            for (int mount = 4; mount < 6; ++mount) keys.mounts[mount - 2] = pilot.weapons[mount] == kGrenadeRack;
        }
        return;
    }
    const bool lookAimed =
        std::fabs(lookYaw) < kEighthTurn - 0.03f && lookError < tolerance && clearShot(w, eye, lookAt, index);
    if (!lookAimed || distance > 150.0f) return;
    for (int mount = 2; mount < 6; ++mount) {
        bool& key = keys.mounts[mount - 2];
        switch (pilot.weapons[mount]) {
        case kGatling: key = true; break;
        case kRocketLauncher: key = heldWhile(clock_ + 0.25f * static_cast<float>(mount), 0.5f, 0.1f); break;
        case kRail: key = heldWhile(clock_, 0.5f, 0.1f); break;
        case kHomingMissiles: key = pilot.homing_target >= 0 && heldWhile(clock_, 0.5f, 0.1f); break;
        default: break;
        }
    }
}

// Nothing to shoot: torso, look and hands back to the front.
void Player::rest(const World& w, const DesktopLook& look, float body, float dt, DesktopFrame& frame) {
    turnTorso(w.pilot, 0.0f, body, dt, frame.keys);
    const Aim front;
    const Aim* hands[2] = {&front, &front};
    moveMouse(look, front, hands, frame);
}

DesktopFrame Player::next(const World& w, const DesktopLook& look, float dt) {
    clock_ += dt;
    DesktopFrame frame;
    const Goal goal = choose(w);
    const float body = steer(w, goal, dt, frame.keys);
    int target = goal.target;
    if (target < 0) target = nearestThreat(w, 150.0f);
    if (target >= 0) {
        shoot(w, target, look, body, dt, frame);
    } else {
        rest(w, look, body, dt, frame);
    }
    return frame;
}

template <typename NextInput>
PlayResult play(World& world, float seconds, NextInput next) {
    while (world.pilot.status == kStatusActive && world.missionTime < seconds) {
        const Input input = next(world);
        world.step(input, kPlayFrame, true);
        world.sounds.clear();
    }
    return {world.pilot.status, world.missionTime, world.pilot.health};
}

}  // namespace

Loadout loadoutBefore(int campaign, int mission) {
    Loadout loadout = {kEmptyHand, kRifle, kEmptyHand, kEmptyHand, kEmptyHand, kEmptyHand};
    if (campaign == 0) {
        if (mission >= 1) loadout[4] = loadout[5] = kGrenadeRack;
        if (mission >= 4) loadout[2] = loadout[3] = kGatling;
        if (mission >= 9) loadout[3] = kShield;
        return loadout;
    }
    loadout[4] = loadout[5] = kGrenadeRack;
    if (mission >= 1) loadout[2] = loadout[3] = kRocketLauncher;
    if (mission >= 3) loadout[2] = loadout[3] = kGatling;
    if (mission >= 7) loadout[3] = kShield;
    if (mission >= 15) loadout[0] = kHeavyMG;
    return loadout;
}

World deployedMission(const std::filesystem::path& root, int campaign, int mission, const Loadout& loadout) {
    World world;
    world.configure(loadout, ArmRig{});
    world.difficulty = 0;
    world.loadMission(root, mission, campaign, true);
    return world;
}

PlayResult playStill(World& world, float seconds) {
    const Input still = desktopInput(HeldKeys{}, DesktopLook{}, true, Frontend::kPlaying);
    return play(world, seconds, [&](const World&) { return still; });
}

PlayResult playScripted(World& world, float seconds) {
    Player player;
    DesktopLook look;
    return play(world, seconds, [&](const World& w) {
        const DesktopFrame frame = player.next(w, look, kPlayFrame);
        applyMouseMotion(look, frame.keys, frame.mouseX, frame.mouseY);
        return desktopInput(frame.keys, look, true, Frontend::kPlaying);
    });
}

}  // namespace bastion::testing_support
