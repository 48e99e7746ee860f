#include <gtest/gtest.h>

#include "shell/frontend/menu_script.h"

namespace bastion {
namespace {

using testing_menu::MenuScript;
using F = Frontend;

struct SkirmishScript : MenuScript {
    SkirmishScript() {
        menu.skirmish = true;
        open(F::kSkirmishSetup);
    }
    std::string row(int index) const { return menu.skirmishRows()[static_cast<std::size_t>(index)]; }
};

TEST(FrontendSkirmish, DefaultRowsText) {
    const std::array<std::string, 11> expected = {
        "OBJECTIVE: ELIMINATE", "TERRAIN: auto",   "WATER: auto",      "MAP: 4 X 4 BLOCKS",
        "SCENERY DENSITY: 9",   "GROUND / ZONE: 6", "AIR UNITS: 3",    "EXTRACTION: YES",
        "SEED: 1 / REROLL",     "START SKIRMISH",   "BACK",
    };
    EXPECT_EQ(Frontend{}.skirmishRows(), expected);
}

TEST(FrontendSkirmish, EachRowEditsWithinItsLimits) {
    struct Case {
        int row;
        float x;  // +1 right, -1 left, 0 select
        void (*prepare)(SkirmishSettings&);
        const char* text;
    };
    const auto none = [](SkirmishSettings&) {};
    const Case cases[] = {
        {0, 1, none, "OBJECTIVE: STRIKE"},
        {0, -1, none, "OBJECTIVE: RECON"},
        {0, 0, [](SkirmishSettings& s) { s.objective = 7; }, "OBJECTIVE: ELIMINATE"},
        {0, -1, [](SkirmishSettings& s) { s.objective = -4; }, "OBJECTIVE: RECON"},
        {1, 1, none, "TERRAIN: urban"},
        {1, -1, none, "TERRAIN: hills"},
        {1, 1, [](SkirmishSettings& s) { s.terrain = "hills"; }, "TERRAIN: auto"},
        {1, 1, [](SkirmishSettings& s) { s.terrain = "moon"; }, "TERRAIN: urban"},
        {2, 1, none, "WATER: none"},
        {2, -1, none, "WATER: canal"},
        {2, 0, [](SkirmishSettings& s) { s.water = "canal"; }, "WATER: auto"},
        {3, 1, none, "MAP: 5 X 5 BLOCKS"},
        {3, 1, [](SkirmishSettings& s) { s.mapBlocks = 8; }, "MAP: 8 X 8 BLOCKS"},
        {3, -1, [](SkirmishSettings& s) { s.mapBlocks = 2; }, "MAP: 2 X 2 BLOCKS"},
        {4, -1, none, "SCENERY DENSITY: 8"},
        {4, 1, [](SkirmishSettings& s) { s.sceneryDensity = 16; }, "SCENERY DENSITY: 16"},
        {4, -1, [](SkirmishSettings& s) { s.sceneryDensity = 1; }, "SCENERY DENSITY: 1"},
        {5, 0, none, "GROUND / ZONE: 7"},
        {5, 1, [](SkirmishSettings& s) { s.groundUnitsPerZone = 12; }, "GROUND / ZONE: 12"},
        {5, -1, [](SkirmishSettings& s) { s.groundUnitsPerZone = 1; }, "GROUND / ZONE: 1"},
        {6, -1, none, "AIR UNITS: 2"},
        {6, 1, [](SkirmishSettings& s) { s.airUnits = 8; }, "AIR UNITS: 8"},
        {6, -1, [](SkirmishSettings& s) { s.airUnits = 0; }, "AIR UNITS: 0"},
        {7, 1, none, "EXTRACTION: NO"},
        {7, -1, none, "EXTRACTION: NO"},
        {7, 0, [](SkirmishSettings& s) { s.extraction = false; }, "EXTRACTION: YES"},
        {8, 1, none, "SEED: 2527132011 / REROLL"},
        {8, -1, none, "SEED: 2527132011 / REROLL"},
        {8, 0, none, "SEED: 2527132011 / REROLL"},
    };
    for (const Case& c : cases) {
        SkirmishScript script;
        c.prepare(script.menu.skirmishSettings);
        script.menu.cursorRow = c.row;
        if (c.x == 0)
            script.select();
        else
            script.stick(c.x, 0.0f);
        EXPECT_EQ(script.row(c.row), c.text) << "row " << c.row << " x " << c.x;
        EXPECT_EQ(script.menu.cursorRow, c.row);
        EXPECT_EQ(script.menu.request, F::kNone);
    }
}

TEST(FrontendSkirmish, RerollSequenceFromSeedOne) {
    SkirmishScript script;
    script.menu.cursorRow = 8;
    for (u32 expected : {2527132011u, 2339934983u, 536059379u, 3120657311u}) {
        script.right();
        EXPECT_EQ(script.menu.skirmishSettings.seed, expected);
    }
    // A seed the hash maps onto itself still changes.
    EXPECT_EQ(rerollSeed(394561851u), 394561852u);
    EXPECT_EQ(rerollSeed(430463294u), 430463295u);
}

TEST(FrontendSkirmish, RowsStartAndBack) {
    SkirmishScript script;
    script.up();
    EXPECT_EQ(script.menu.cursorRow, 10);
    script.down();
    EXPECT_EQ(script.menu.cursorRow, 0);
    script.stick(0.6f, -0.9f);  // more down than right: a row move, no edit
    EXPECT_EQ(script.menu.cursorRow, 1);
    EXPECT_EQ(script.menu.skirmishSettings.terrain, "auto");

    script.menu.cursorRow = 9;
    script.right();  // sideways on the start row changes nothing
    EXPECT_EQ(script.menu.request, F::kNone);
    script.select();
    EXPECT_EQ(script.menu.request, F::kStartSkirmish);
    EXPECT_EQ(script.menu.screen, F::kSkirmishSetup);

    script.menu.request = F::kNone;
    script.menu.cursorRow = 10;
    script.menu.statusLine = "SKIRMISH GENERATION FAILED";
    script.select();
    EXPECT_EQ(script.menu.screen, F::kCampaignChoice);
    EXPECT_EQ(script.menu.menuMode, 1);
    EXPECT_EQ(script.menu.cursorRow, 2);
    EXPECT_FALSE(script.menu.skirmish);
    EXPECT_TRUE(script.menu.statusLine.empty());

    SkirmishScript leaving;
    leaving.menu.cursorRow = 4;
    leaving.back();
    EXPECT_EQ(leaving.menu.screen, F::kCampaignChoice);
    EXPECT_EQ(leaving.menu.cursorRow, 2);
    EXPECT_EQ(leaving.menu.skirmishSettings.sceneryDensity, 9);
}

TEST(FrontendSkirmish, ScreenClaimsSkirmishAndClampsTheRow) {
    MenuScript script;
    script.menu.coopActive = script.menu.host = true;
    script.open(F::kSkirmishSetup, 42);
    script.release();
    EXPECT_TRUE(script.menu.skirmish);
    EXPECT_FALSE(script.menu.coopActive || script.menu.host);
    EXPECT_EQ(script.menu.cursorRow, 10);
    script.open(F::kSkirmishSetup, -3);
    script.release();
    EXPECT_EQ(script.menu.cursorRow, 0);
}

}  // namespace
}  // namespace bastion
