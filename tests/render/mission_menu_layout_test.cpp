#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/internal/menu_layout.h"
#include "shell/frontend/frontend.h"

namespace bastion {
namespace {

std::vector<PanelText> texts(const std::vector<PanelItem>& items) {
    std::vector<PanelText> found;
    for (const PanelItem& item : items) {
        if (const auto* text = std::get_if<PanelText>(&item)) found.push_back(*text);
    }
    return found;
}

std::optional<PanelText> textAt(const std::vector<PanelItem>& items, float x, float y) {
    for (const PanelText& text : texts(items)) {
        if (text.x == x && text.y == y) return text;
    }
    return std::nullopt;
}

bool shows(const std::vector<PanelItem>& items, const std::string& s) {
    for (const PanelText& text : texts(items)) {
        if (text.text == s) return true;
    }
    return false;
}

template <typename T>
std::vector<T> itemsOf(const std::vector<PanelItem>& items) {
    std::vector<T> found;
    for (const PanelItem& item : items) {
        if (const auto* x = std::get_if<T>(&item)) found.push_back(*x);
    }
    return found;
}

std::vector<Renderer::Mission> briefings(int count, int lines) {
    std::vector<Renderer::Mission> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(i)].title = "TITLE " + std::to_string(i);
        for (int j = 0; j < lines; ++j) out[static_cast<std::size_t>(i)].lines.push_back("LINE " + std::to_string(j));
    }
    return out;
}

Frontend secondCampaign(Frontend menu) {
    menu.campaignRow = 1;
    menu.progression.rules.campaign = 1;
    menu.progression.rules.missionRewards.assign(20, -1);
    return menu;
}

Frontend onScreen(Frontend::Screen screen) {
    Frontend menu;
    menu.screen = screen;
    return menu;
}

TEST(MissionSelection, HeaderFollowsPlayAndProgress) {
    const u32 all16 = 0xFFFF;
    const struct {
        const char* name;
        std::function<void(Frontend&)> setup;
        const char* header;
    } cases[] = {
        {"first campaign", [](Frontend&) {}, "SELECT MISSION"},
        {"second campaign", [](Frontend& m) { m = secondCampaign(m); }, "STORMBASTION 2"},
        {"all sixteen done", [&](Frontend& m) { m.progression.completed = all16; }, "CAMPAIGN COMPLETE"},
        {"one short", [&](Frontend& m) { m.progression.completed = all16 >> 1; }, "SELECT MISSION"},
        {"a bit above the campaign", [&](Frontend& m) { m.progression.completed = all16 | 0x10000; }, "SELECT MISSION"},
        {"sixteen of twenty", [&](Frontend& m) { m = secondCampaign(m); m.progression.completed = all16; }, "STORMBASTION 2"},
        {"sandbox, all done", [&](Frontend& m) { m.sandbox = true; m.progression.completed = all16; }, "SANDBOX"},
    };
    for (const auto& c : cases) {
        Frontend menu = onScreen(Frontend::kMissionSelection);
        c.setup(menu);
        const auto header = textAt(menuPanelItems(menu, briefings(20, 0)), 105, -8);
        ASSERT_TRUE(header.has_value()) << c.name;
        EXPECT_EQ(header->text, c.header) << c.name;
    }
}

TEST(MissionSelection, LockHintsAndStatus) {
    const struct {
        int row;
        int cursor;
        bool sandbox;
        const char* status;
        const char* hint;  // the line at (15, 268)
    } cases[] = {
        {0, 0, false, "AVAILABLE", "RESULT"},
        {0, 11, false, "LOCKED", "COMPLETE THE PREVIOUS GROUP OF FOUR"},
        {0, 12, false, "LOCKED", "COMPLETE ALL PREVIOUS MISSIONS"},
        {1, 12, false, "LOCKED", "COMPLETE THE PREVIOUS GROUP OF FOUR"},
        {0, 12, true, "AVAILABLE", "RESULT"},
        {0, 16, true, "LOCKED", "COMPLETE ALL PREVIOUS MISSIONS"},  // beyond the campaign
    };
    for (const auto& c : cases) {
        Frontend menu = onScreen(Frontend::kMissionSelection);
        if (c.row == 1) menu = secondCampaign(menu);
        menu.sandbox = c.sandbox;
        menu.missionCursor = c.cursor;
        menu.resultLine = "RESULT";
        const auto items = menuPanelItems(menu, briefings(20, 0));
        EXPECT_EQ(textAt(items, 120, 178)->text, c.status) << c.row << "/" << c.cursor;
        EXPECT_EQ(textAt(items, 15, 268)->text, c.hint) << c.row << "/" << c.cursor;
    }
    Frontend done = onScreen(Frontend::kMissionSelection);
    done.progression.completed = 1;
    EXPECT_EQ(textAt(menuPanelItems(done, briefings(16, 0)), 120, 178)->text, "COMPLETE");
}

TEST(MissionSelection, RingGreysLockedMissionsAndBracketsTheCursor) {
    for (const int row : {0, 1}) {
        Frontend menu = onScreen(Frontend::kMissionSelection);
        if (row == 1) menu = secondCampaign(menu);
        menu.missionCursor = 2;
        const auto items = menuPanelItems(menu, briefings(20, 0));
        std::vector<PanelArt> thumbnails;
        for (const PanelArt& art : itemsOf<PanelArt>(items)) {
            if (art.name.find("mission-thumbnail-") != std::string::npos) thumbnails.push_back(art);
        }
        ASSERT_EQ(thumbnails.size(), row == 0 ? 16u : 20u);
        EXPECT_EQ(thumbnails[0].name, row == 0 ? "mission-thumbnail-01" : "sb2-mission-thumbnail-01");
        EXPECT_EQ(thumbnails[3].tint.x, 1.0f);   // the first four are open
        EXPECT_EQ(thumbnails[4].tint.x, 0.22f);  // the next group is not
        const PanelArt& last = thumbnails.back();
        EXPECT_EQ((std::array<float, 2>{last.x, last.y}),
                  (row == 0 ? std::array<float, 2>{32, 64} : std::array<float, 2>{22, 57}));
        const auto bars = itemsOf<PanelLine>(items);
        ASSERT_EQ(bars.size(), 2u);
        EXPECT_EQ(bars[0].x, thumbnails[2].x - 1.0f);
        EXPECT_EQ(bars[1].from.y, -0.403f);
        ASSERT_EQ(itemsOf<PanelCube>(items).size(), 1u);
        EXPECT_EQ(itemsOf<PanelCube>(items)[0].name, thumbnails[2].name);
    }
}

TEST(Loadout, PagesFollowTheCampaignAndPlay) {
    const struct {
        const char* name;
        std::function<void(Frontend&)> setup;
        Weapon selected;
        std::vector<std::string> cells;
        const char* page;  // nullptr: no indicator
    } cases[] = {
        {"first campaign", [](Frontend&) {}, 1, {}, nullptr},
        {"sandbox page 1", [](Frontend& m) { m.sandbox = true; }, 3, {}, "1 / 2"},
        {"skirmish page 2", [](Frontend& m) { m.skirmish = true; }, 10, {}, "2 / 2"},
        {"second campaign page 2", [](Frontend& m) { m = secondCampaign(m); }, 12, {}, "2 / 2"},
    };
    for (const auto& c : cases) {
        Frontend menu = onScreen(Frontend::kLoadout);
        c.setup(menu);
        menu.loadoutCursor = c.selected;
        const auto items = menuPanelItems(menu, {});
        const auto page = textAt(items, 103, 214);
        EXPECT_EQ(page.has_value(), c.page != nullptr) << c.name;
        if (page && c.page) EXPECT_EQ(page->text, c.page) << c.name;
        const std::size_t cells = c.page == nullptr ? 8u : c.selected > 8 ? 4u : 8u;
        // One small preview per cell, and the large one of the selected weapon.
        EXPECT_EQ(itemsOf<PanelModel>(items).size(), cells + 1) << c.name;
        EXPECT_EQ(itemsOf<PanelLine>(items).size(), 1u) << c.name;
    }
}

TEST(Loadout, RemoveReservedAndLockNotes) {
    Frontend menu = onScreen(Frontend::kLoadout);
    menu.loadoutCursor = kEmptyHand;
    menu.loadout = {1, 1, 0, 0, kAutoGrenade, 0};
    auto items = menuPanelItems(menu, {});
    EXPECT_EQ(textAt(items, 22, 214)->colour.x, kMenuAmber.x);
    EXPECT_EQ(itemsOf<PanelModel>(items).size(), 8u);  // no large preview
    EXPECT_FALSE(textAt(items, 150, 91).has_value());
    EXPECT_EQ(textAt(items, 168, 105 + 20 * 5 + 9)->text, "RESERVED");
    EXPECT_NE(textAt(items, 168, 105 + 20 * 4 + 9)->text, "RESERVED");
    menu.loadout = {1, 1, 0, 0, 0, kAutoGrenade};
    EXPECT_EQ(textAt(menuPanelItems(menu, {}), 168, 105 + 20 * 4 + 9)->text, "RESERVED");

    // The grenade rack is the reward of the first mission: locked until then.
    menu.loadoutCursor = kGrenadeRack;
    items = menuPanelItems(menu, {});
    EXPECT_EQ(textAt(items, 150, 91)->text, "LOCKED - COMPLETE MISSION 1");
    EXPECT_EQ(textAt(items, 22, 214)->colour.x, kMenuGreen.x);
    menu.sandbox = true;
    EXPECT_FALSE(textAt(menuPanelItems(menu, {}), 150, 91).has_value());
    menu.loadoutCursor = kAutoGrenade;
    EXPECT_EQ(textAt(menuPanelItems(menu, {}), 150, 91)->text, "REQUIRES BOTH HIPS");
}

TEST(MissionScreens, SkirmishTextsKeepTheirLineLimits) {
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "ADVANCE AND HOLD ";
    Frontend menu;
    menu.skirmish = true;
    menu.statusLine = longText;
    menu.skirmishSettings.seed = 77;
    menu.screen = Frontend::kBriefing;
    auto items = menuPanelItems(menu, {});
    EXPECT_TRUE(shows(items, "SEED 77"));
    EXPECT_TRUE(shows(items, "MAP 4 X 4 / auto / auto"));
    EXPECT_TRUE(textAt(items, 20, 119 + 14 * 7).has_value());
    EXPECT_FALSE(textAt(items, 20, 119 + 14 * 8).has_value());
    menu.screen = Frontend::kDebrief;
    items = menuPanelItems(menu, {});
    EXPECT_TRUE(shows(items, "SKIRMISH COMPLETE"));
    EXPECT_TRUE(textAt(items, 20, 102 + 14 * 5).has_value());
    EXPECT_FALSE(textAt(items, 20, 102 + 14 * 6).has_value());
}

TEST(MissionScreens, CampaignBriefingShowsEveryLineAndDebriefCapsTheMission) {
    Frontend menu = onScreen(Frontend::kBriefing);
    menu.missionCursor = 3;
    auto items = menuPanelItems(menu, briefings(16, 12));
    EXPECT_TRUE(shows(items, "MISSION 4"));
    EXPECT_TRUE(shows(items, "TITLE 3"));
    EXPECT_TRUE(textAt(items, 15, 170 + 9 * 11).has_value());

    menu.screen = Frontend::kDebrief;
    menu.debriefMission = 40;
    items = menuPanelItems(menu, briefings(16, 0));
    EXPECT_TRUE(shows(items, "16 / TITLE 15"));
    EXPECT_TRUE(shows(items, "MISSION COMPLETE"));
    EXPECT_TRUE(shows(items, "ENTER / MENU: MISSION SELECTION"));
    menu.coopActive = true;
    items = menuPanelItems(menu, briefings(16, 0));
    EXPECT_TRUE(shows(items, "TEAM VICTORY"));
    EXPECT_TRUE(shows(items, "ENTER / MENU: WAIT FOR HOST"));
    EXPECT_TRUE(shows(items, "TEAM RADIO ON - M: MUTE"));
}

// The second campaign's art folder may be absent: its briefing list is empty.
TEST(MissionScreens, EmptyBriefingListShowsEmptyTitles) {
    for (const Frontend::Screen screen :
         {Frontend::kMissionMenu, Frontend::kMissionSelection, Frontend::kBriefing, Frontend::kDebrief}) {
        Frontend menu = secondCampaign(onScreen(screen));
        menu.missionCursor = 5;
        menu.debriefMission = 5;
        const auto items = menuPanelItems(menu, {});
        EXPECT_FALSE(items.empty()) << screen;
        if (screen == Frontend::kMissionSelection) EXPECT_TRUE(shows(items, "6 / "));
        if (screen == Frontend::kDebrief) EXPECT_TRUE(shows(items, "1 / "));
    }
}

}  // namespace
}  // namespace bastion
