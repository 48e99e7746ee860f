#include "render/internal/menu_layout.h"

#include <array>
#include <string>
#include <utility>

#include "render/internal/menu_rows.h"
#include "render/internal/panel_layout.h"
#include "render/internal/transforms.h"
#include "shell/frontend/frontend.h"

namespace bastion {

void Layout::lobby(const std::vector<Renderer::Mission>& briefings) {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    text("STORMBASTION XR", 55, 25, 2, kMenuAmber);

    const bool missionMenu = menu_.screen == Frontend::kMissionMenu;
    const float step = missionMenu ? 12.0f : 17.0f;
    const float size = missionMenu ? 1.15f : 1.4f;
    const std::vector<std::string> rows = lobbyRows(menu_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool selected = static_cast<int>(i) == menu_.cursorRow;
        const float y = 57.0f + static_cast<float>(i) * step;
        text(rows[i], 32, y, size, selected ? kMenuAmber : kMenuGreen);
        // The tip sits one unit above the row's text origin.
        if (selected) items_.push_back(PanelChevron{20, y - 1.0f, -0.05f, 0.04f, 0.01f});
    }

    switch (menu_.screen) {
    case Frontend::kJoinCode:
        text("LOBBY CODE", 55, 80, 1.6f, kMenuMint);
        text(menu_.joinCode, 70, 110, 3, kMenuAmber);
        text("^", 70.0f + 12.0f * static_cast<float>(menu_.joinCursor), 126, 3, kMenuAmber);
        text("TYPE CODE OR USE STICK: LEFT/RIGHT SLOT", 15, 173, 1.1f, kMenuMint);
        text("UP/DOWN LETTER    ENTER/TRIGGER JOIN", 15, 188, 1.1f, kMenuMint);
        break;
    case Frontend::kLobbyConnecting:
        text("CONNECTING TO LOBBY SERVER", 20, 90, 1.5f, kMenuMint);
        break;
    case Frontend::kConnectionLost:
        text("LOBBY CONNECTION LOST", 20, 75, 1.5f, kMenuAmber);
        text("ESC / MENU: LEAVE TO TITLE", 20, 95, 1.2f, kMenuMint);
        break;
    case Frontend::kLobbyWaiting:
        text(menu_.missionSelected ? "MISSION SELECTED - ENTER/TRIGGER: BRIEFING"
                                   : "STANDBY - HOST IS SELECTING A MISSION",
             12, 75, 1.3f, kMenuAmber);
        break;
    case Frontend::kLobbyReady:
        text("READY - WAITING FOR ALL PLAYERS", 15, 65, 1.4f, kMenuAmber);
        text("ENTER/TRIGGER: CHANGE LOADOUT", 15, 85, 1.2f, kMenuMint);
        break;
    case Frontend::kMissionMenu:
        missionMenuText(briefings);
        break;
    default:
        break;
    }

    if (menu_.coopActive && !missionMenu) {
        text("LOBBY", 20, 139, 1.2f, kMenuGreen);
        text(menu_.roomCode, 20, 151, menu_.host ? 3.5f : 2.0f, kMenuAmber);
        for (std::size_t i = 0; i < menu_.playerLabels.size(); ++i)
            text(menu_.playerLabels[i], 20, 177.0f + 16.0f * static_cast<float>(i), 1.2f, kMenuMint);
    }

    // The lines below the plate hang under the background art.
    text(menu_.notice, 8, 278, 1, kMenuAmber);
    text(menu_.voiceLine, 8, 292, 1, kMenuGreen);
    if (menu_.coopActive)
        text(menu_.radio ? "TEAM RADIO ON - M: MUTE" : "TEAM RADIO MUTED - M: UNMUTE", 8, 306, 1, kMenuAmber);
    if (!menu_.skirmish) text(menu_.secondResultLine, 8, menu_.coopActive ? 320.0f : 306.0f, 1, kMenuAmber);
}

void Layout::missionMenuText(const std::vector<Renderer::Mission>& briefings) {
    if (!menu_.skirmish) art(thumbnailName(menu_.campaignRow, menu_.missionCursor), 170, 40, 136, 116, 0.005f);
    text("LEFT / RIGHT: ADJUST VOLUME", 15, 162, 0.9f, kMenuGreen);

    std::string header;
    if (menu_.skirmish) {
        header = "SKIRMISH / SEED " + std::to_string(menu_.skirmishSettings.seed);
    } else if (!menu_.statusLine.empty()) {
        header = "GENERATED MISSION";
    }
    if (!header.empty()) {
        text(header, 15, 177, 1.2f, kMenuAmber);
        const std::vector<std::string> lines = missionLines(menu_.statusLine, 50);
        for (std::size_t i = 0; i < lines.size() && i < 4; ++i)
            text(lines[i], 15, 194.0f + 11.0f * static_cast<float>(i), 1, kMenuGreen);
        text(menu_.skirmish ? "RESTART: SAME MAP / ABORT: SETUP" : "RESTART REPEATS SEED / ABORT EXITS", 15, 246, 1,
             kMenuGreen);
    } else if (menu_.missionCursor >= 0 && static_cast<std::size_t>(menu_.missionCursor) < briefings.size()) {
        // A cursor beyond the campaign's briefings has no text to show.
        const std::vector<std::string>& lines = briefings[static_cast<std::size_t>(menu_.missionCursor)].lines;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text(lines[i], 15, 177.0f + 9.0f * static_cast<float>(i), 1.65f, kMenuGreen);
    }
    text(menu_.audioLine, 8, 263, 0.9f, kMenuAmber);
}

void Layout::skirmishSetup() {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    text("SKIRMISH SETUP", 58, 25, 2, kMenuAmber);
    const std::array<std::string, 11> rows = menu_.skirmishRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool selected = static_cast<int>(i) == menu_.cursorRow;
        const float y = 53.0f + 13.0f * static_cast<float>(i);
        text(rows[i], 28, y, 1.25f, selected ? kMenuAmber : kMenuGreen);
        if (selected) items_.push_back(PanelChevron{17, y - 1.0f, -0.045f, 0.035f, 0.008f});
    }
    text("UP / DOWN: ROW    LEFT / RIGHT: CHANGE", 12, 211, 1, kMenuGreen);
    text("ENTER / TRIGGER: SELECT    ESC / MENU: BACK", 12, 225, 0.95f, kMenuGreen);
    text("OFFLINE / ALL EQUIPMENT AVAILABLE", 12, 239, 1, kMenuAmber);
    const std::vector<std::string> lines = missionLines(menu_.notice.empty() ? menu_.resultLine : menu_.notice, 64);
    for (std::size_t i = 0; i < lines.size() && i < 2; ++i)
        text(lines[i], 12, 256.0f + 10.0f * static_cast<float>(i), 0.95f, kMenuAmber);
}

// Negative y values place these lines just above the panel's top edge.
void Layout::topStrip() {
    const char* difficulty = menu_.difficulty == 1 ? "HARD" : "NORMAL";
    if (menu_.coopActive) {
        if (menu_.host) {
            text("LOBBY", 0, -23, 1, kMenuGreen);
            text(menu_.roomCode, 26, -24, 3.5f, kMenuAmber);
            text(difficulty, 126, -20, 1.2f, kMenuGreen);
        } else {
            text("LOBBY " + menu_.roomCode + " / " + difficulty, 0, -22, 1.1f, kMenuAmber);
        }
        text(menu_.voiceLine, 194, -33, 0.8f, kMenuGreen);
        text(menu_.radio ? "RADIO ON - M: MUTE" : "RADIO MUTED - M: UNMUTE", 194, -22, 0.8f, kMenuAmber);
    }
    if (!menu_.skirmish) text(menu_.secondResultLine, 0, 318, 1.2f, kMenuAmber);
}


vant::Matrix panelPoint(const vant::Matrix& frame, float x, float y, float depth) {
    constexpr float kPanelDistance = 3.0f;
    return vant::multiply(frame, vant::translation((x - 160.0f) * kPanelUnit, (137.0f - y) * kPanelUnit,
                                                   depth - kPanelDistance));
}

vant::Matrix panelArtMatrix(const vant::Matrix& frame, const PanelArt& art) {
    return vant::multiply(panelPoint(frame, art.x, art.y, art.depth),
                          vant::scaling(art.w * kPanelUnit, -art.h * kPanelUnit, 1.0f));
}

std::vector<PanelItem> menuPanelItems(const Frontend& menu, const std::vector<Renderer::Mission>& briefings) {
    Layout layout(menu);
    const int screen = menu.screen;
    if ((screen >= Frontend::kTitle && screen <= Frontend::kMissionMenu) || screen == Frontend::kConnectionLost) {
        layout.lobby(briefings);
    } else if (screen == Frontend::kSkirmishSetup) {
        layout.skirmishSetup();
    } else if (screen == Frontend::kDebrief) {
        layout.debrief(briefings);
    } else {
        // Mission selection, briefing and loadout (every other id draws the
        // loadout) end with the top strip; the debrief has its own lines.
        if (screen == Frontend::kMissionSelection) {
            layout.missionSelection(briefings);
        } else if (screen == Frontend::kBriefing) {
            layout.briefing(briefings);
        } else {
            layout.loadout();
        }
        layout.topStrip();
    }
    return layout.take();
}

}  // namespace bastion
