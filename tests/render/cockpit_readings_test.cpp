#include <array>
#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "render/internal/cockpit_frame.h"
#include "render/internal/cockpit_readings.h"
#include "render/internal/radar.h"
#include "world/world.h"

namespace bastion {
namespace {

using cockpit::kPi;

using Colour = std::array<float, 4>;
const Colour kOff{0.006f, 0.008f, 0.005f, 1};
const Colour kRed{1.0f, 0.015f, 0.003f, 1};
const Colour kAmberLamp{1.0f, 0.65f, 0.005f, 1};
const Colour kGreenLamp{0.03f, 1.0f, 0.008f, 1};

TEST(CockpitLamps, FollowHealthBands) {
    struct Case {
        float health;
        std::array<Colour, 5> lamps;
    };
    const Case cases[] = {
        {100, {kGreenLamp, kGreenLamp, kGreenLamp, kGreenLamp, kGreenLamp}},
        {150, {kGreenLamp, kGreenLamp, kGreenLamp, kGreenLamp, kGreenLamp}},
        {50, {kGreenLamp, kGreenLamp, kAmberLamp, kOff, kOff}},
        {25, {kGreenLamp, kRed, kOff, kOff, kOff}},
        {20, {kGreenLamp, kOff, kOff, kOff, kOff}},
        {10, {kAmberLamp, kOff, kOff, kOff, kOff}},
        {0, {kOff, kOff, kOff, kOff, kOff}},
    };
    for (const Case& c : cases) {
        for (int lamp = 0; lamp < 5; ++lamp)
            EXPECT_EQ(cockpit::lampColour(c.health, lamp), c.lamps[static_cast<std::size_t>(lamp)])
                << "health " << c.health << " lamp " << lamp;
    }
}

// A cockpit-space point carried through `M`.
Vec3 through(const vant::Matrix& M, Vec3 p) {
    return {M[0] * p.x + M[4] * p.y + M[8] * p.z + M[12], M[1] * p.x + M[5] * p.y + M[9] * p.z + M[13],
            M[2] * p.x + M[6] * p.y + M[10] * p.z + M[14]};
}

TEST(CockpitEjection, UpperGroupStaysUntilASecondAfterTheKill) {
    struct Case {
        bool dead;
        float ejection;
    };
    for (const Case c : {Case{false, 0.0f}, Case{false, 5.0f}, Case{true, 0.0f}, Case{true, 0.5f}, Case{true, 1.0f}}) {
        Pilot pilot;
        pilot.position = {40, 0, -7};
        pilot.angles[0] = 0.3f;
        pilot.dead = c.dead;
        pilot.ejection = c.ejection;
        const vant::Matrix M = cockpitFrame(pilot);
        EXPECT_EQ(upperGroupFrame(pilot, M), M) << c.dead << " " << c.ejection;
    }
}

TEST(CockpitEjection, UpperGroupTumblesThenRisesAndDriftsAft) {
    Pilot pilot;
    pilot.position = {0, -12, 0};  // the eye at the world origin
    pilot.dead = true;
    pilot.ejection = 3.0f;  // two seconds of flight
    const float e = 2.0f;
    const vant::Matrix unturned = upperGroupFrame(pilot, cockpitFrame(pilot));
    // The origin only moves; a point above it turns about X (0.7 e) first,
    // then about Y (0.8 e), then moves.
    const Vec3 origin = through(unturned, {0, 0, 0});
    EXPECT_NEAR(origin.x, 0.0f, 1e-5f);
    EXPECT_NEAR(origin.y, 16.0f * e, 1e-5f);
    EXPECT_NEAR(origin.z, 5.0f * e, 1e-5f);
    const Vec3 above = through(unturned, {0, 1, 0});
    EXPECT_NEAR(above.x, std::sin(0.7f * e) * std::sin(0.8f * e), 1e-5f);
    EXPECT_NEAR(above.y, 16.0f * e + std::cos(0.7f * e), 1e-5f);
    EXPECT_NEAR(above.z, 5.0f * e + std::sin(0.7f * e) * std::cos(0.8f * e), 1e-5f);

    // The flight is in cockpit space: a walker turned left a quarter sends
    // the group's +Z drift towards world +X.
    pilot.angles[1] = kPi / 2;
    const Vec3 turned = through(upperGroupFrame(pilot, cockpitFrame(pilot)), {0, 0, 0});
    EXPECT_NEAR(turned.x, 5.0f * e, 1e-5f);
    EXPECT_NEAR(turned.y, 16.0f * e, 1e-5f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-5f);
}

TEST(CockpitReadouts, ShowAmmunitionByWeapon) {
    Pilot pilot;
    // Empty mount, cutter, shield, empty rifle, gatling, and an id past the catalogue.
    const Weapon weapons[6] = {0, 3, 7, 1, 4, 13};
    const int ammo[6] = {0, 0, 0, 0, 250, 9};
    for (int i = 0; i < 6; ++i) {
        pilot.weapons[i] = weapons[i];
        pilot.ammo[i] = ammo[i];
    }
    const std::array<std::string, 6> texts{"--", "INF", "ON", "0", "250", "--"};
    const std::array<Vec3, 6> colours{cockpit::kReadoutRed, cockpit::kGreen, cockpit::kGreen,
                                      cockpit::kReadoutRed, cockpit::kGreen, cockpit::kGreen};
    for (int mount = 0; mount < 6; ++mount) {
        const cockpit::Readout readout = cockpit::ammoReadout(pilot, mount);
        EXPECT_EQ(readout.text, texts[static_cast<std::size_t>(mount)]) << mount;
        EXPECT_EQ(readout.colour, colours[static_cast<std::size_t>(mount)]) << mount;
    }
}

TEST(CockpitReadouts, AutoGrenadeLauncherLinksTheOtherHip) {
    Pilot pilot;
    pilot.weapons[4] = 12;
    pilot.ammo[4] = 30;
    pilot.weapons[5] = 0;
    EXPECT_EQ(cockpit::ammoReadout(pilot, 4).text, "30");
    EXPECT_EQ(cockpit::ammoReadout(pilot, 5).text, "LINK");
    pilot.weapons[5] = 12;
    EXPECT_EQ(cockpit::ammoReadout(pilot, 4).text, "LINK");
    EXPECT_EQ(cockpit::ammoReadout(pilot, 5).text, "LINK");
    pilot.weapons[3] = 12;  // a shoulder never links
    pilot.weapons[2] = 1;
    EXPECT_NE(cockpit::ammoReadout(pilot, 2).text, "LINK");
}

TEST(CockpitOverview, StatusLineAndTorsoColourByArmour) {
    Pilot pilot;
    struct Case {
        float health;
        bool paused;
        const char* text;
        Vec3 textColour;
        Vec3 torso;
    };
    const Case cases[] = {
        {25, false, "SB ONLINE", cockpit::kGreen, cockpit::kAmber},
        {24.9f, false, "ARMOR CRITICAL", cockpit::kGreen, cockpit::kTorsoRed},
        {60, false, "SB ONLINE", cockpit::kGreen, cockpit::kGreen},
        {10, true, "PAUSED", cockpit::kAmber, cockpit::kTorsoRed},
    };
    for (const Case& c : cases) {
        pilot.health = c.health;
        const cockpit::Readout status = cockpit::statusLine(pilot, c.paused);
        EXPECT_EQ(status.text, c.text);
        EXPECT_EQ(status.colour, c.textColour);
        EXPECT_EQ(cockpit::torsoColour(c.health), c.torso) << c.health;
    }
}

TEST(CockpitOverview, HeadingAndTorsoGauge) {
    Pilot pilot;
    EXPECT_EQ(cockpit::headingText(pilot), "HDG 0");
    pilot.angles[0] = kPi / 2;  // turned left
    EXPECT_EQ(cockpit::headingText(pilot), "HDG 270");
    pilot.angles[0] = -kPi / 4;
    EXPECT_EQ(cockpit::headingText(pilot), "HDG 45");
    pilot.angles[1] = kPi / 2;
    EXPECT_FLOAT_EQ(cockpit::torsoPointer(pilot), -0.1f);
    EXPECT_EQ(cockpit::torsoDegrees(pilot), "90");
    pilot.angles[1] = -0.2f;
    EXPECT_EQ(cockpit::torsoDegrees(pilot), "-11");
}

TEST(CockpitOverview, ArmourLine) {
    World world;
    world.pilot.health = 99.9f;
    world.counters[0] = -1;
    world.counters[1] = 2;
    world.counters[2] = 3;
    EXPECT_EQ(cockpit::armourLine(world), "ARMOR 99  OBJ 0/2/3");
}

TEST(Radar, PlacesPointsAgainstTheTorsoHeading) {
    Pilot local;
    local.position = {100, 5, -50};
    const RadarPoint ahead = radarProjection(local, {100, 80, -210});
    EXPECT_NEAR(ahead.x, 0.0f, 1e-6f);
    EXPECT_NEAR(ahead.y, 0.176f, 1e-6f);
    // Turned left by a quarter (legs and torso together), world -X is ahead.
    local.angles[0] = kPi / 4;
    local.angles[1] = kPi / 4;
    const RadarPoint left = radarProjection(local, {0, 0, -50});
    EXPECT_NEAR(left.x, 0.0f, 1e-6f);
    EXPECT_NEAR(left.y, 0.11f, 1e-6f);
    const RadarPoint behind = radarProjection(local, {200, 0, -50});
    EXPECT_NEAR(behind.y, -0.11f, 1e-6f);
}

TEST(Radar, ClampsFarPointsToTheRim) {
    Pilot local;
    local.position = {0, 0, 0};
    const RadarPoint far = clampedRadarProjection(local, {300, 0, -400});  // 500 units away
    EXPECT_NEAR(std::hypot(far.x, far.y), kRadarRim, 1e-6f);
    EXPECT_NEAR(far.x / far.y, 0.75f, 1e-5f);
    const RadarPoint near = clampedRadarProjection(local, {0, 0, -100});
    EXPECT_NEAR(near.y, 0.11f, 1e-6f);
}

TEST(Radar, ShowsIntactTargetsInsideTheOuterRing) {
    Pilot local;
    local.position = {10, 0, 20};
    const auto target = [](Vec3 position, int unitType) {
        Target t;
        t.position = position;
        t.unitType = unitType;
        return t;
    };
    const Target ahead = target({10, 30, -140}, 4);  // 160 units straight ahead
    const std::optional<RadarPoint> shown = radarTarget(local, ahead);
    ASSERT_TRUE(shown.has_value());
    EXPECT_NEAR(shown->x, 0.0f, 1e-6f);
    EXPECT_NEAR(shown->y, 0.176f, 1e-6f);

    Target inactive = ahead;
    inactive.active = false;
    Target hidden = ahead;
    hidden.hidden = true;
    Target destroyed = ahead;
    destroyed.health = 0.0f;
    for (const Target& gone : {target({10, 0, -150}, 4), inactive, hidden, destroyed})
        EXPECT_FALSE(radarTarget(local, gone).has_value());

    struct Case {
        int campaign;
        int unitType;
        Vec3 colour;
    };
    const Case colours[] = {
        {0, 4, {1.0f, 0.2f, 0.1f}},   {0, -1, {0.25f, 0.5f, 0.2f}}, {0, 20, {1.0f, 0.2f, 0.1f}},
        {1, 20, {0.2f, 0.8f, 1.0f}},  {1, 21, {1.0f, 0.8f, 0.2f}},  {1, 3, {1.0f, 0.2f, 0.1f}},
        {1, -1, {0.25f, 0.5f, 0.2f}},
    };
    for (const Case& c : colours)
        EXPECT_EQ(radarTargetColour(c.campaign, target({}, c.unitType)), c.colour) << c.campaign << " " << c.unitType;
}

TEST(Radar, MarksOpenObjectivesByTheirPlaceAndTheExtraction) {
    World world;
    ProceduralObjective objective;
    world.proceduralMission.objectives.assign(3, objective);
    world.proceduralMission.objectives[0].done = true;
    world.proceduralMission.objectives[1].kind = 2;
    world.proceduralMission.objectives[1].centre = {5, 0, 6};
    world.proceduralMission.extraction = {-30, 0, 40};
    world.proceduralMission.extracting = true;
    EXPECT_TRUE(radarMarkers(world).empty());  // not a generated mission

    world.procedural = true;
    std::vector<RadarMarker> markers = radarMarkers(world);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].label, "O2");
    EXPECT_EQ(markers[0].point, (Vec3{5, 0, 6}));
    EXPECT_EQ(markers[0].colour, (Vec3{0.2f, 0.85f, 1.0f}));
    EXPECT_EQ(markers[1].label, "O3");
    EXPECT_EQ(markers[1].colour, cockpit::kAmber);
    EXPECT_EQ(markers[2].label, "EX");
    EXPECT_EQ(markers[2].point, (Vec3{-30, 0, 40}));
    EXPECT_EQ(markers[2].colour, cockpit::kGreen);

    world.proceduralMission.extracting = false;
    EXPECT_EQ(radarMarkers(world).size(), 2u);
}

TEST(Radar, PilotsPutTheLocalPilotInItsSlot) {
    World world;
    world.pilot.slot = 0;
    world.pilot.health = 42;
    EXPECT_EQ(radarPilots(world).size(), 1u);
    EXPECT_EQ(radarPilots(world)[0].health, 42);

    Pilot other;
    other.slot = 2;
    Pilot stale;
    stale.slot = 1;
    world.others = {other, stale, stale};
    world.pilot.slot = 1;
    const std::vector<Pilot> pilots = radarPilots(world);
    ASSERT_EQ(pilots.size(), 3u);
    EXPECT_EQ(pilots[1].health, 42);
    EXPECT_EQ(pilots[2].health, stale.health);  // only the first match is replaced
    world.pilot.slot = 3;
    EXPECT_EQ(radarPilots(world).size(), 4u);
    EXPECT_EQ(radarPilots(world).back().health, 42);
}

TEST(Radar, PilotColoursBySlot) {
    EXPECT_EQ(pilotColour(0), (Vec3{0.2f, 0.85f, 1.0f}));
    EXPECT_EQ(pilotColour(5), (Vec3{1.0f, 0.55f, 0.15f}));
    EXPECT_EQ(pilotColour(3), (Vec3{1.0f, 1.0f, 0.8f}));
}

}  // namespace
}  // namespace bastion
