#include <array>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "render/cockpit_readings.h"
#include "render/radar.h"
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
