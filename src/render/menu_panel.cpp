#include <string>

#include "render/menu_rows.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "shell/frontend.h"

namespace bastion {
namespace {

// The panel is laid out in a 320 x 274 space, x to the right and y down from
// its top-left corner; one panel unit is 0.013 units of the panel frame, and
// the panel hangs 3 units in front of the eye, centred on it.
constexpr float kUnit = 0.013f;
constexpr float kPanelDistance = 3.0f;
constexpr float kTextDepth = 0.02f;
constexpr float kMarkerDepth = 0.04f;

constexpr Vec3 kGreen{0.55f, 1.0f, 0.65f};
constexpr Vec3 kAmber{1.0f, 0.78f, 0.2f};
constexpr Vec3 kMint{0.6f, 1.0f, 0.8f};
constexpr Vec3 kWhite{1.0f, 1.0f, 1.0f};

vant::Matrix panelPoint(const vant::Matrix& frame, float x, float y, float depth) {
    return vant::multiply(frame, vant::translation((x - 160.0f) * kUnit, (137.0f - y) * kUnit, depth - kPanelDistance));
}

// Draws one panel for one view; rebuilt entirely from the menu state.
class Panel {
public:
    Panel(Renderer& renderer, const vant::Matrix& frame) : renderer_(renderer), frame_(frame) {}

    void art(const std::string& name, float x, float y, float w, float h, float depth, Vec3 tint = kWhite) {
        renderer_.art(name, vant::multiply(panelPoint(frame_, x, y, depth), vant::scaling(w * kUnit, -h * kUnit, 1.0f)),
                      {0.0f, 0.0f, 1.0f, 1.0f}, tint);
    }

    void text(const std::string& s, float x, float y, float size, Vec3 colour) {
        renderer_.text(s, panelPoint(frame_, x, y, kTextDepth), size * kUnit, colour);
    }

    // A chevron whose tip sits at panel point (x, y), pointing right.
    void chevron(float x, float y, float armX, float armY, float halfWidth) {
        const vant::Matrix tip = panelPoint(frame_, x, y, kMarkerDepth);
        renderer_.line(tip, {armX, armY, 0.0f}, {0.0f, 0.0f, 0.0f}, halfWidth, kAmber);
        renderer_.line(tip, {armX, -armY, 0.0f}, {0.0f, 0.0f, 0.0f}, halfWidth, kAmber);
    }

    void lobby(const Frontend& menu, const std::vector<Renderer::Mission>& briefings);
    void skirmishSetup(const Frontend& menu);
    void topStrip(const Frontend& menu);

private:
    void missionMenuText(const Frontend& menu, const std::vector<Renderer::Mission>& briefings);

    Renderer& renderer_;
    const vant::Matrix& frame_;
};

void Panel::lobby(const Frontend& menu, const std::vector<Renderer::Mission>& briefings) {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    text("STORMBASTION XR", 55, 25, 2, kAmber);

    const bool missionMenu = menu.screen == Frontend::kMissionMenu;
    const float step = missionMenu ? 12.0f : 17.0f;
    const float size = missionMenu ? 1.15f : 1.4f;
    const std::vector<std::string> rows = lobbyRows(menu);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool selected = static_cast<int>(i) == menu.cursorRow;
        const float y = 57.0f + static_cast<float>(i) * step;
        text(rows[i], 32, y, size, selected ? kAmber : kGreen);
        if (selected) chevron(20, y - 1.0f, -0.05f, 0.04f, 0.01f);
    }

    switch (menu.screen) {
    case Frontend::kJoinCode:
        text("LOBBY CODE", 55, 80, 1.6f, kMint);
        text(menu.joinCode, 70, 110, 3, kAmber);
        text("^", 70.0f + 12.0f * static_cast<float>(menu.joinCursor), 126, 3, kAmber);
        text("TYPE CODE OR USE STICK: LEFT/RIGHT SLOT", 15, 173, 1.1f, kMint);
        text("UP/DOWN LETTER    ENTER/TRIGGER JOIN", 15, 188, 1.1f, kMint);
        break;
    case Frontend::kLobbyConnecting:
        text("CONNECTING TO LOBBY SERVER", 20, 90, 1.5f, kMint);
        break;
    case Frontend::kConnectionLost:
        text("LOBBY CONNECTION LOST", 20, 75, 1.5f, kAmber);
        text("ESC / MENU: LEAVE TO TITLE", 20, 95, 1.2f, kMint);
        break;
    case Frontend::kLobbyWaiting:
        text(menu.missionSelected ? "MISSION SELECTED - ENTER/TRIGGER: BRIEFING" : "STANDBY - HOST IS SELECTING A MISSION",
             12, 75, 1.3f, kAmber);
        break;
    case Frontend::kLobbyReady:
        text("READY - WAITING FOR ALL PLAYERS", 15, 65, 1.4f, kAmber);
        text("ENTER/TRIGGER: CHANGE LOADOUT", 15, 85, 1.2f, kMint);
        break;
    case Frontend::kMissionMenu:
        missionMenuText(menu, briefings);
        break;
    default:
        break;
    }

    if (menu.coopActive && !missionMenu) {
        text("LOBBY", 20, 139, 1.2f, kGreen);
        text(menu.roomCode, 20, 151, menu.host ? 3.5f : 2.0f, kAmber);
        for (std::size_t i = 0; i < menu.playerLabels.size(); ++i)
            text(menu.playerLabels[i], 20, 177.0f + 16.0f * static_cast<float>(i), 1.2f, kMint);
    }

    // The lines below the plate hang under the background art.
    text(menu.notice, 8, 278, 1, kAmber);
    text(menu.voiceLine, 8, 292, 1, kGreen);
    if (menu.coopActive) text(menu.radio ? "TEAM RADIO ON - M: MUTE" : "TEAM RADIO MUTED - M: UNMUTE", 8, 306, 1, kAmber);
    if (!menu.skirmish) text(menu.secondResultLine, 8, menu.coopActive ? 320.0f : 306.0f, 1, kAmber);
}

void Panel::missionMenuText(const Frontend& menu, const std::vector<Renderer::Mission>& briefings) {
    if (!menu.skirmish) art(thumbnailName(menu.campaignRow, menu.missionCursor), 170, 40, 136, 116, 0.005f);
    text("LEFT / RIGHT: ADJUST VOLUME", 15, 162, 0.9f, kGreen);

    std::string header;
    if (menu.skirmish) {
        header = "SKIRMISH / SEED " + std::to_string(menu.skirmishSettings.seed);
    } else if (!menu.statusLine.empty()) {
        header = "GENERATED MISSION";
    }
    if (!header.empty()) {
        text(header, 15, 177, 1.2f, kAmber);
        const std::vector<std::string> lines = missionLines(menu.statusLine, 50);
        for (std::size_t i = 0; i < lines.size() && i < 4; ++i)
            text(lines[i], 15, 194.0f + 11.0f * static_cast<float>(i), 1, kGreen);
        text(menu.skirmish ? "RESTART: SAME MAP / ABORT: SETUP" : "RESTART REPEATS SEED / ABORT EXITS", 15, 246, 1,
             kGreen);
    } else if (menu.missionCursor >= 0 && static_cast<std::size_t>(menu.missionCursor) < briefings.size()) {
        const std::vector<std::string>& lines = briefings[static_cast<std::size_t>(menu.missionCursor)].lines;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text(lines[i], 15, 177.0f + 9.0f * static_cast<float>(i), 1.65f, kGreen);
    }
    text(menu.audioLine, 8, 263, 0.9f, kAmber);
}

void Panel::skirmishSetup(const Frontend& menu) {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    text("SKIRMISH SETUP", 58, 25, 2, kAmber);
    const std::array<std::string, 11> rows = menu.skirmishRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool selected = static_cast<int>(i) == menu.cursorRow;
        const float y = 53.0f + 13.0f * static_cast<float>(i);
        text(rows[i], 28, y, 1.25f, selected ? kAmber : kGreen);
        if (selected) chevron(17, y - 1.0f, -0.045f, 0.035f, 0.008f);
    }
    text("UP / DOWN: ROW    LEFT / RIGHT: CHANGE", 12, 211, 1, kGreen);
    text("ENTER / TRIGGER: SELECT    ESC / MENU: BACK", 12, 225, 0.95f, kGreen);
    text("OFFLINE / ALL EQUIPMENT AVAILABLE", 12, 239, 1, kAmber);
    const std::vector<std::string> lines = missionLines(menu.notice.empty() ? menu.resultLine : menu.notice, 64);
    for (std::size_t i = 0; i < lines.size() && i < 2; ++i)
        text(lines[i], 12, 256.0f + 10.0f * static_cast<float>(i), 0.95f, kAmber);
}

void Panel::topStrip(const Frontend& menu) {
    const char* difficulty = menu.difficulty == 1 ? "HARD" : "NORMAL";
    if (menu.coopActive) {
        if (menu.host) {
            text("LOBBY", 0, -23, 1, kGreen);
            text(menu.roomCode, 26, -24, 3.5f, kAmber);
            text(difficulty, 126, -20, 1.2f, kGreen);
        } else {
            text("LOBBY " + menu.roomCode + " / " + difficulty, 0, -22, 1.1f, kAmber);
        }
        text(menu.voiceLine, 194, -33, 0.8f, kGreen);
        text(menu.radio ? "RADIO ON - M: MUTE" : "RADIO MUTED - M: UNMUTE", 194, -22, 0.8f, kAmber);
    }
    if (!menu.skirmish && !menu.secondResultLine.empty()) text(menu.secondResultLine, 0, 318, 1.2f, kAmber);
}

}  // namespace

void Renderer::frontend(const Frontend& menu, const Matrix& cockpitFrame) {
    const std::vector<Mission>& campaignBriefings = briefings.at(static_cast<std::size_t>(menu.campaignRow));
    Panel panel(*this, cockpitFrame);
    const int screen = menu.screen;
    if ((screen >= Frontend::kTitle && screen <= Frontend::kMissionMenu) || screen == Frontend::kConnectionLost) {
        panel.lobby(menu, campaignBriefings);
    } else if (screen == Frontend::kSkirmishSetup) {
        panel.skirmishSetup(menu);
    } else {
        // Mission selection, briefing, loadout and debrief: their own layouts
        // come with the mission menus; the top strip closes each of them.
        panel.topStrip(menu);
    }
}

}  // namespace bastion
