#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/draw_stage.h"
#include "render/internal/menu_layout.h"
#include "render/internal/menu_rows.h"
#include "render/internal/transforms.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

std::vector<PanelText> texts(const std::vector<PanelItem>& items) {
    std::vector<PanelText> found;
    for (const PanelItem& item : items) {
        if (const auto* text = std::get_if<PanelText>(&item)) found.push_back(*text);
    }
    return found;
}

std::optional<PanelText> textOf(const std::vector<PanelItem>& items, const std::string& s) {
    for (const PanelText& text : texts(items)) {
        if (text.text == s) return text;
    }
    return std::nullopt;
}

std::vector<PanelChevron> chevrons(const std::vector<PanelItem>& items) {
    std::vector<PanelChevron> found;
    for (const PanelItem& item : items) {
        if (const auto* chevron = std::get_if<PanelChevron>(&item)) found.push_back(*chevron);
    }
    return found;
}

std::vector<std::string> artNames(const std::vector<PanelItem>& items) {
    std::vector<std::string> found;
    for (const PanelItem& item : items) {
        if (const auto* art = std::get_if<PanelArt>(&item)) found.push_back(art->name);
    }
    return found;
}

PanelArt artOf(const std::vector<PanelItem>& items, const std::string& name) {
    for (const PanelItem& item : items) {
        if (const auto* art = std::get_if<PanelArt>(&item); art != nullptr && art->name == name) return *art;
    }
    ADD_FAILURE() << "no art " << name;
    return {};
}

std::vector<Renderer::Mission> briefingsWithLines(int count, int lines) {
    std::vector<Renderer::Mission> briefings(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < lines; ++j) briefings[static_cast<std::size_t>(i)].lines.push_back("M" + std::to_string(i) + " L" + std::to_string(j));
    }
    return briefings;
}

struct PlacedText {
    const char* name;
    std::function<void(Frontend&)> setup;
    std::string text;
    float x, y, size;
    Vec3 colour;
};

class PlacedTexts : public ::testing::TestWithParam<PlacedText> {};

TEST_P(PlacedTexts, StandWhereTheirScreenPutsThem) {
    const PlacedText& c = GetParam();
    Frontend menu;
    c.setup(menu);
    const std::optional<PanelText> text = textOf(menuPanelItems(menu, briefingsWithLines(16, 2)), c.text);
    ASSERT_TRUE(text.has_value()) << c.text;
    EXPECT_EQ(text->x, c.x);
    EXPECT_EQ(text->y, c.y);
    EXPECT_EQ(text->size, c.size);
    EXPECT_EQ(text->colour, c.colour);
}

void screen(Frontend& menu, Frontend::Screen id) { menu.screen = id; }

INSTANTIATE_TEST_SUITE_P(
    Menu, PlacedTexts,
    ::testing::Values(
        PlacedText{"Title", [](Frontend&) {}, "STORMBASTION XR", 55, 25, 2, kMenuAmber},
        PlacedText{"SelectedRow", [](Frontend& m) { m.cursorRow = 2; }, "LOAD", 32, 91, 1.4f, kMenuAmber},
        PlacedText{"OtherRow", [](Frontend& m) { m.cursorRow = 2; }, "EXIT", 32, 108, 1.4f, kMenuGreen},
        PlacedText{"CoopMenuRow", [](Frontend& m) { screen(m, Frontend::kCoopMenu); }, "HOST LOBBY", 32, 57, 1.4f,
                   kMenuAmber},
        PlacedText{"SkirmishChoice", [](Frontend& m) { screen(m, Frontend::kCampaignChoice); }, "SKIRMISH", 32, 91,
                   1.4f, kMenuGreen},
        PlacedText{"MicrophoneOn", [](Frontend& m) { screen(m, Frontend::kMissionMenu); }, "MICROPHONE: ON", 32, 105,
                   1.15f, kMenuGreen},
        PlacedText{"MissionMenuRow", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.cursorRow = 7; },
                   "LEAVE TO TITLE", 32, 141, 1.15f, kMenuAmber},
        PlacedText{"JoinLabel", [](Frontend& m) { screen(m, Frontend::kJoinCode); }, "LOBBY CODE", 55, 80, 1.6f,
                   kMenuMint},
        PlacedText{"JoinCode", [](Frontend& m) { screen(m, Frontend::kJoinCode); m.joinCode = "QRST23"; }, "QRST23",
                   70, 110, 3, kMenuAmber},
        PlacedText{"JoinCaretLastSlot", [](Frontend& m) { screen(m, Frontend::kJoinCode); m.joinCursor = 5; }, "^",
                   130, 126, 3, kMenuAmber},
        PlacedText{"JoinHint1", [](Frontend& m) { screen(m, Frontend::kJoinCode); },
                   "TYPE CODE OR USE STICK: LEFT/RIGHT SLOT", 15, 173, 1.1f, kMenuMint},
        PlacedText{"JoinHint2", [](Frontend& m) { screen(m, Frontend::kJoinCode); },
                   "UP/DOWN LETTER    ENTER/TRIGGER JOIN", 15, 188, 1.1f, kMenuMint},
        PlacedText{"Connecting", [](Frontend& m) { screen(m, Frontend::kLobbyConnecting); },
                   "CONNECTING TO LOBBY SERVER", 20, 90, 1.5f, kMenuMint},
        PlacedText{"Lost", [](Frontend& m) { screen(m, Frontend::kConnectionLost); }, "LOBBY CONNECTION LOST", 20, 75,
                   1.5f, kMenuAmber},
        PlacedText{"LostHint", [](Frontend& m) { screen(m, Frontend::kConnectionLost); },
                   "ESC / MENU: LEAVE TO TITLE", 20, 95, 1.2f, kMenuMint},
        PlacedText{"Standby", [](Frontend& m) { screen(m, Frontend::kLobbyWaiting); },
                   "STANDBY - HOST IS SELECTING A MISSION", 12, 75, 1.3f, kMenuAmber},
        PlacedText{"Selected", [](Frontend& m) { screen(m, Frontend::kLobbyWaiting); m.missionSelected = true; },
                   "MISSION SELECTED - ENTER/TRIGGER: BRIEFING", 12, 75, 1.3f, kMenuAmber},
        PlacedText{"Ready", [](Frontend& m) { screen(m, Frontend::kLobbyReady); }, "READY - WAITING FOR ALL PLAYERS",
                   15, 65, 1.4f, kMenuAmber},
        PlacedText{"ReadyHint", [](Frontend& m) { screen(m, Frontend::kLobbyReady); },
                   "ENTER/TRIGGER: CHANGE LOADOUT", 15, 85, 1.2f, kMenuMint},
        PlacedText{"VolumeHint", [](Frontend& m) { screen(m, Frontend::kMissionMenu); },
                   "LEFT / RIGHT: ADJUST VOLUME", 15, 162, 0.9f, kMenuGreen},
        PlacedText{"MenuNotice", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.audioLine = "AUDIO SETTINGS SAVED"; },
                   "AUDIO SETTINGS SAVED", 8, 263, 0.9f, kMenuAmber},
        PlacedText{"BriefingLine", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.missionCursor = 3; },
                   "M3 L1", 15, 186, 1.65f, kMenuGreen},
        PlacedText{"SkirmishHeader",
                   [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.skirmish = true; m.skirmishSettings.seed = 4000000000u; },
                   "SKIRMISH / SEED 4000000000", 15, 177, 1.2f, kMenuAmber},
        PlacedText{"SkirmishRestart", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.skirmish = true; },
                   "RESTART: SAME MAP / ABORT: SETUP", 15, 246, 1, kMenuGreen},
        PlacedText{"GeneratedHeader", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.statusLine = "HOLD"; },
                   "GENERATED MISSION", 15, 177, 1.2f, kMenuAmber},
        PlacedText{"GeneratedRestart", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.statusLine = "HOLD"; },
                   "RESTART REPEATS SEED / ABORT EXITS", 15, 246, 1, kMenuGreen},
        PlacedText{"FirstNotice", [](Frontend& m) { m.notice = "N1"; }, "N1", 8, 278, 1, kMenuAmber},
        PlacedText{"SecondNotice", [](Frontend& m) { m.voiceLine = "N2"; }, "N2", 8, 292, 1, kMenuGreen},
        PlacedText{"SaveNoticeSolo", [](Frontend& m) { m.secondResultLine = "PROGRESS SAVED"; }, "PROGRESS SAVED", 8,
                   306, 1, kMenuAmber},
        PlacedText{"SaveNoticeInLobby",
                   [](Frontend& m) { screen(m, Frontend::kLobbyWaiting); m.coopActive = true; m.secondResultLine = "PROGRESS SAVED"; },
                   "PROGRESS SAVED", 8, 320, 1, kMenuAmber},
        PlacedText{"RadioOn", [](Frontend& m) { screen(m, Frontend::kMissionMenu); m.coopActive = true; },
                   "TEAM RADIO ON - M: MUTE", 8, 306, 1, kMenuAmber},
        PlacedText{"RadioMuted", [](Frontend& m) { m.coopActive = true; m.radio = false; },
                   "TEAM RADIO MUTED - M: UNMUTE", 8, 306, 1, kMenuAmber},
        PlacedText{"LobbyLabel", [](Frontend& m) { screen(m, Frontend::kLobbyWaiting); m.coopActive = true; }, "LOBBY",
                   20, 139, 1.2f, kMenuGreen},
        PlacedText{"HostCode", [](Frontend& m) { screen(m, Frontend::kLobbyReady); m.coopActive = m.host = true; m.roomCode = "K7M2"; },
                   "K7M2", 20, 151, 3.5f, kMenuAmber},
        PlacedText{"GuestCode", [](Frontend& m) { screen(m, Frontend::kLobbyReady); m.coopActive = true; m.roomCode = "K7M2"; },
                   "K7M2", 20, 151, 2, kMenuAmber},
        PlacedText{"SecondPlayer",
                   [](Frontend& m) { screen(m, Frontend::kLobbyWaiting); m.coopActive = true; m.playerLabels = {"P1", "P2"}; },
                   "P2", 20, 193, 1.2f, kMenuMint},
        PlacedText{"SkirmishTitle", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); }, "SKIRMISH SETUP", 58, 25, 2,
                   kMenuAmber},
        PlacedText{"SkirmishSelectedRow", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); m.cursorRow = 10; },
                   "BACK", 28, 183, 1.25f, kMenuAmber},
        PlacedText{"SkirmishRow", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); }, "SEED: 1 / REROLL", 28, 157,
                   1.25f, kMenuGreen},
        PlacedText{"SkirmishHint1", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); },
                   "UP / DOWN: ROW    LEFT / RIGHT: CHANGE", 12, 211, 1, kMenuGreen},
        PlacedText{"SkirmishHint2", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); },
                   "ENTER / TRIGGER: SELECT    ESC / MENU: BACK", 12, 225, 0.95f, kMenuGreen},
        PlacedText{"SkirmishOffline", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); },
                   "OFFLINE / ALL EQUIPMENT AVAILABLE", 12, 239, 1, kMenuAmber},
        PlacedText{"SkirmishResult", [](Frontend& m) { screen(m, Frontend::kSkirmishSetup); m.resultLine = "NO ROUTE"; },
                   "NO ROUTE", 12, 256, 0.95f, kMenuAmber},
        PlacedText{"StripHostLabel", [](Frontend& m) { screen(m, Frontend::kMissionSelection); m.coopActive = m.host = true; },
                   "LOBBY", 0, -23, 1, kMenuGreen},
        PlacedText{"StripHostCode",
                   [](Frontend& m) { screen(m, Frontend::kBriefing); m.coopActive = m.host = true; m.roomCode = "K7M2"; },
                   "K7M2", 26, -24, 3.5f, kMenuAmber},
        PlacedText{"StripHostDifficulty",
                   [](Frontend& m) { screen(m, Frontend::kLoadout); m.coopActive = m.host = true; m.difficulty = 1; },
                   "HARD", 126, -20, 1.2f, kMenuGreen},
        PlacedText{"StripGuest",
                   [](Frontend& m) { screen(m, Frontend::kLoadout); m.coopActive = true; m.roomCode = "K7M2"; m.difficulty = 2; },
                   "LOBBY K7M2 / NORMAL", 0, -22, 1.1f, kMenuAmber},
        PlacedText{"StripSecondNotice",
                   [](Frontend& m) { screen(m, Frontend::kBriefing); m.coopActive = true; m.voiceLine = "VOICE OK"; },
                   "VOICE OK", 194, -33, 0.8f, kMenuGreen},
        PlacedText{"StripRadio", [](Frontend& m) { screen(m, Frontend::kBriefing); m.coopActive = true; m.radio = false; },
                   "RADIO MUTED - M: UNMUTE", 194, -22, 0.8f, kMenuAmber},
        PlacedText{"StripSaveNotice",
                   [](Frontend& m) { screen(m, Frontend::kMissionSelection); m.secondResultLine = "PROGRESS NOT SAVED"; },
                   "PROGRESS NOT SAVED", 0, 318, 1.2f, kMenuAmber}),
    [](const ::testing::TestParamInfo<PlacedText>& info) { return std::string(info.param.name); });

// Which screens end with the top strip: the lobby code line stands for it.
TEST(MenuPanel, TopStripClosesOnlyTheMissionScreens) {
    struct Case {
        int screen;
        bool strip;
    };
    for (const Case c : {Case{8, true}, Case{9, true}, Case{10, true}, Case{15, true}, Case{12, false},
                         Case{14, false}, Case{5, false}, Case{7, false}}) {
        Frontend menu;
        menu.screen = static_cast<Frontend::Screen>(c.screen);
        menu.coopActive = true;
        menu.roomCode = "K7M2";
        const auto items = menuPanelItems(menu, briefingsWithLines(16, 0));
        EXPECT_EQ(textOf(items, "LOBBY K7M2 / NORMAL").has_value(), c.strip) << "screen " << c.screen;
        EXPECT_EQ(textOf(items, "RADIO ON - M: MUTE").has_value(), c.strip) << "screen " << c.screen;
    }
}

TEST(MenuPanel, SelectedRowCarriesTheChevron) {
    struct Case {
        Frontend::Screen screen;
        int row;
        std::vector<float> chevron;  // tip x, tip y, arm x, arm y, half-width; empty for none
    };
    for (const Case& c : {Case{Frontend::kTitle, 1, {20, 73, -0.05f, 0.04f, 0.01f}},
                          Case{Frontend::kMissionMenu, 5, {20, 116, -0.05f, 0.04f, 0.01f}},
                          Case{Frontend::kSkirmishSetup, 9, {17, 169, -0.045f, 0.035f, 0.008f}},
                          Case{Frontend::kTitle, 4, {}}, Case{Frontend::kJoinCode, 0, {}}}) {
        Frontend menu;
        menu.screen = c.screen;
        menu.cursorRow = c.row;
        std::vector<float> found;
        for (const PanelChevron& m : chevrons(menuPanelItems(menu, briefingsWithLines(16, 0))))
            found.insert(found.end(), {m.x, m.y, m.armX, m.armY, m.halfWidth});
        EXPECT_EQ(found, c.chevron) << "screen " << c.screen << " row " << c.row;
    }
}

TEST(MenuPanel, CoopBlockAndSaveNoticeFollowTheSession) {
    Frontend menu;
    menu.screen = Frontend::kMissionMenu;
    menu.coopActive = true;
    menu.playerLabels = {"P1"};
    menu.secondResultLine = "PROGRESS SAVED";
    auto items = menuPanelItems(menu, briefingsWithLines(16, 0));
    EXPECT_FALSE(textOf(items, "LOBBY").has_value());  // not on the in-mission menu
    EXPECT_FALSE(textOf(items, "P1").has_value());
    EXPECT_EQ(textOf(items, "PROGRESS SAVED")->y, 320);

    menu.screen = Frontend::kTitle;
    menu.coopActive = false;
    items = menuPanelItems(menu, {});
    EXPECT_FALSE(textOf(items, "LOBBY").has_value());
    EXPECT_FALSE(textOf(items, "TEAM RADIO ON - M: MUTE").has_value());

    menu.skirmish = true;  // skirmish play keeps no campaign progress to report
    EXPECT_FALSE(textOf(menuPanelItems(menu, {}), "PROGRESS SAVED").has_value());
    menu.screen = Frontend::kBriefing;
    EXPECT_FALSE(textOf(menuPanelItems(menu, {}), "PROGRESS SAVED").has_value());
}

TEST(MenuPanel, InMissionMenuShowsTheMissionItIsIn) {
    Frontend menu;
    menu.screen = Frontend::kMissionMenu;
    menu.campaignRow = 1;
    menu.missionCursor = 19;
    const auto briefings = briefingsWithLines(20, 12);

    // A campaign mission: its thumbnail and every line of its briefing.
    auto items = menuPanelItems(menu, briefings);
    EXPECT_EQ(artNames(items), (std::vector<std::string>{"mission-briefing-panel", "sb2-mission-thumbnail-20"}));
    const PanelArt& thumbnail = artOf(items, "sb2-mission-thumbnail-20");
    EXPECT_EQ((std::vector<float>{thumbnail.x, thumbnail.y, thumbnail.w, thumbnail.h, thumbnail.depth}),
              (std::vector<float>{170, 40, 136, 116, 0.005f}));
    EXPECT_EQ(textOf(items, "M19 L11")->y, 177 + 9 * 11);

    // A skirmish: no thumbnail, the seed header and four wrapped lines at most.
    menu.skirmish = true;
    menu.statusLine = std::string(5 * 49, 'x');
    for (std::size_t i = 0; i < 5; ++i) menu.statusLine[49 * i + 48] = ' ';
    items = menuPanelItems(menu, briefings);
    EXPECT_EQ(artNames(items), std::vector<std::string>{"mission-briefing-panel"});
    std::vector<float> wrapped;
    for (const PanelText& text : texts(items)) {
        if (text.text == std::string(48, 'x')) wrapped.push_back(text.y);
    }
    EXPECT_EQ(wrapped, (std::vector<float>{194, 205, 216, 227}));
    EXPECT_FALSE(textOf(items, "M19 L0").has_value());
}

TEST(MenuPanel, SkirmishSetupNoticeWrapsIntoTwoLines) {
    Frontend menu;
    menu.screen = Frontend::kSkirmishSetup;
    menu.resultLine = "IGNORED WHILE A NOTICE SHOWS";
    menu.notice = std::string(60, 'a') + " " + std::string(60, 'b') + " " + std::string(60, 'c');
    const auto items = menuPanelItems(menu, {});
    EXPECT_EQ(textOf(items, std::string(60, 'a'))->y, 256);
    EXPECT_EQ(textOf(items, std::string(60, 'b'))->y, 266);
    EXPECT_FALSE(textOf(items, std::string(60, 'c')).has_value());
    EXPECT_FALSE(textOf(items, "IGNORED WHILE A NOTICE SHOWS").has_value());
    EXPECT_EQ(texts(items).size(), 1u + 11u + 3u + 2u);
}

TEST(MenuPanel, ThumbnailNamesNumberFromOne) {
    EXPECT_EQ(thumbnailName(0, 0), "mission-thumbnail-01");
    EXPECT_EQ(thumbnailName(0, 15), "mission-thumbnail-16");
    EXPECT_EQ(thumbnailName(1, 0), "sb2-mission-thumbnail-01");
    EXPECT_EQ(thumbnailName(2, 4), "sb2-mission-thumbnail-05");
    EXPECT_EQ(thumbnailName(0, std::numeric_limits<int>::max()), "mission-thumbnail-2147483648");
}

// M x (x, y, 0, 1) of an affine matrix.
Vec3 placed(const vant::Matrix& m, float x, float y) {
    return {m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13], m[2] * x + m[6] * y + m[14]};
}

void expectNear(Vec3 actual, Vec3 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(MenuPanel, PanelSpaceHangsThreeUnitsBeforeTheEye) {
    // The chevron of the first title row: its tip at panel point (20, 56).
    expectNear(placed(panelPoint(vant::identity, 20, 56, 0.04f), 0, 0), {-1.82f, 1.053f, -2.96f});
    // The background spans 4.16 by 3.562 units, its first image row on top.
    const PanelArt background{"mission-briefing-panel", 0, 0, 320, 274, 0, kMenuWhite};
    expectNear(placed(panelArtMatrix(vant::identity, background), 0, 0), {-2.08f, 1.781f, -3});
    expectNear(placed(panelArtMatrix(vant::identity, background), 1, 1), {2.08f, -1.781f, -3});
    const PanelArt thumbnail{"mission-thumbnail-01", 170, 40, 136, 116, 0.005f, kMenuWhite};
    expectNear(placed(panelArtMatrix(vant::identity, thumbnail), 1, 1), {(306 - 160) * 0.013f, (137 - 156) * 0.013f, -2.995f});
    // The frame carries the panel with the eye: here 12 up and turned a quarter left.
    const vant::Matrix frame = vant::multiply(vant::translation(5, 12, 7), vant::rotationY(1.5707964f));
    expectNear(placed(panelPoint(frame, 160, 137, 0), 0, 0), {2, 12, 7});
}

TEST(MenuPanelDraw, CampaignRowOutsideTheBriefingListsIsRefused) {
    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::beginPrimitives(*renderer, vant::identity, true);
    Frontend menu;
    for (int row : {2, -1}) {
        menu.campaignRow = row;
        EXPECT_THROW(renderer->frontend(menu, vant::identity), std::out_of_range) << row;
    }
    menu.campaignRow = 0;
    EXPECT_NO_THROW(renderer->frontend(menu, vant::identity));
}

}  // namespace
}  // namespace bastion
