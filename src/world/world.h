#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "procedural/mission_state.h"
#include "world/effect.h"
#include "world/generator.h"
#include "world/input.h"
#include "world/math.h"
#include "world/pickup.h"
#include "world/pilot.h"
#include "world/projectile.h"
#include "world/projectile_sweep.h"
#include "world/random.h"
#include "world/sound_event.h"
#include "world/target.h"
#include "world/vertex.h"
#include "world/weapon.h"

namespace bastion {

// Moves over a procedural terrain test the ground once per unit of the step;
// no real step is longer than this, and the cap keeps a corrupt length
// convertible to a sample count.
inline constexpr float kMaxGroundSamples = 4096.0f;

using Loadout = std::array<Weapon, 6>;
using Rectangle = std::array<float, 4>;  // minX, minZ, maxX, maxZ

struct AimTrace {
    Vec3 end;
    int target = -1;
};

// One simulation instance. A movable value: a mission is replaced by building
// a fresh World and move-assigning it over the current one. Every method acts
// on the leading pilot `pilot`.
class World {
public:
    World();
    // A moved-from World is left with empty lists.
    World(World&& other) noexcept = default;
    World& operator=(World&& other) noexcept = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World() = default;

    // Set-up.
    void configure(const Loadout& loadout, const ArmRig& rig);
    void resetTracking();

    // Mission loading.
    void loadMission(const std::filesystem::path& root, int mission, int campaign, bool sharedFolder);
    void loadDecorations(const std::filesystem::path& root);
    void loadProceduralRecipe(const std::filesystem::path& root, const nlohmann::json& recipe);
    void loadProceduralPrototype(const std::filesystem::path& root, const std::filesystem::path& layout);
    void loadMissionPrototype(const std::filesystem::path& root, u32 seed);

    // Terrain and ground queries.
    void indexTerrain();
    float surfaceHeight(float x, float z) const;
    bool hasWater(float x, float z, float radius) const;
    bool groundPassable(Vec3 position, float radius) const;
    float groundContact(Vec3 from, Vec3 to) const;
    float debrisFloor(const WeaponEffect& effect) const;
    Vec3 pickupPosition(const Pickup& pickup) const;
    Vec3 wreckPosition(const Target& target) const;

    // Projectiles, explosions and damage.
    void hurt(float amount);
    void damagePilot(Pilot& other, float amount);
    void effect(WeaponEffect::Kind kind, Vec3 position, Vec3 direction, Weapon weapon, float size);
    void destruction(Vec3 position, float size, Weapon weapon, float damageRadius, float damageRate);
    void explode(Vec3 centre, float radius, float damage, bool hurtPilots);
    void stepProjectiles(float dt);

    // The pilot step.
    void step(const Input& input, float dt, bool advanceWorld);
    void stepEjection(float dt);
    Vec3 pilotPosition() const;
    Quaternion pilotOrientation() const;

    // Walking.
    void movePilot(Vec3 destination);
    void stomp(unsigned foot);
    bool crushable(const Target& target) const;

    // Aim, homing, pings and melee.
    AimTrace traceAim(Vec3 from, Vec3 direction, float range) const;
    void lockHoming();
    void pingMap(unsigned which);
    Vec3 mapPingPosition(const Pilot& other) const;
    void strike(Vec3 point, Vec3 direction, Weapon weapon, float damage, bool sound);

    // Mission rules.
    void stepMission(float dt);
    void targetDestroyed(Target& target);
    void applyMissionAction(u32 action);
    bool destructionPending() const;
    void evaluateMission();
    void collectPickups();

    // SB2 rules, generators and cargo flights.
    void initSB2();
    void destroyedSB2(Target& target);
    void arrivedEnemy(Target& target);
    void dropCargo(u64 carrier);
    void evaluateSB2();
    void stepGenerators(float dt);

    // Enemy AI.
    void stepEnemies(float dt);
    void selectPlayerTargets(float dt);
    float nearestPlayerRange(Vec3 point) const;
    bool triggerReady(u32 trigger) const;
    bool moveEnemy(u64 index, Vec3 step, float dt, bool flying);
    void enemyFire(u64 index, Vec3 aim, int victim, ProjectileKind kind, float speed, float damage, float radius,
                   Vec3 muzzle);
    void updateEnemyBounds(Target& target);
    void resetEnemy(Target& target, bool hide);
    void retireEnemy(Target& target, bool hide);
    Vec3 enemyDestination(const Target& target, int& id) const;
    bool enemyLineOfSight(Vec3 from, Vec3 to, int skip1, int skip2) const;

    Pilot pilot;
    // Which load this World holds: a fresh value for every World made and
    // every mission loaded, so that a viewer holding copies of its meshes
    // knows when they are stale.
    u64 identity = 0;
    bool coop = false;
    std::vector<Pilot> others;
    int difficulty = 0;
    std::vector<Pilot*> session;
    std::vector<Target> targets;
    std::vector<Generator> generators;
    std::vector<CargoFlight> cargoFlights;
    float projectilePair[2] = {0, 0};
    float healthPair[2] = {0, 0};
    float ratio = 1.0f;
    u32 random = kDefaultSeed;
    int slots[32];  // target index of each mission slot, -1 none
    std::vector<Projectile> projectiles;
    ProjectileStepBuffers projectileBuffers;
    std::vector<WeaponEffect> effects;
    int kills = 0;
    int campaign = 0;
    bool night = false;
    bool prototype = false;
    bool procedural = false;
    bool proceduralTerrain = false;
    ProceduralMission proceduralMission;
    u32 prototypeSeed = 0;
    int killsByType[kEnemyTypeCount] = {};
    std::vector<Rectangle> objectiveRegions;
    int missionIndex = -1;
    int horizon = 0;
    int initialCounter = 0;
    float missionTime = 0.0f;
    u32 missionFlags = 0;
    int counters[3] = {0, 0, 0};
    Vec3 groundColour{0.13f, 0.2f, 0.19f};
    Vec3 skyColour{0.055f, 0.095f, 0.13f};
    std::map<u32, std::vector<Vec3>> fragmentShapes;
    std::array<std::vector<WorldVertex>, 5> pickupMeshes;
    std::array<u32, 32> pickupSlots{};
    std::vector<GroundTriangle> ground;
    std::map<std::pair<int, int>, std::vector<u64>> cells;
    std::vector<WorldVertex> terrain;
    std::vector<WorldVertex> waterMesh;
    std::vector<ProceduralWater> water;
    std::vector<Rectangle> cover;
    std::vector<Pickup> pickups;
    std::vector<SoundEvent> sounds;
    std::string objectiveText;
};

// A value no World has held before in this process; never 0.
u64 nextWorldIdentity();

// The native test range of a default World: 35 boxes in five rows.
std::vector<Target> testRangeTargets();

}  // namespace bastion
