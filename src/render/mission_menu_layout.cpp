#include <algorithm>
#include <array>
#include <numbers>
#include <string>

#include "render/internal/menu_rows.h"
#include "render/internal/panel_layout.h"
#include "shell/frontend/frontend.h"
#include "world/weapon.h"

namespace bastion {
namespace {

constexpr Vec3 kThumbnailGrey{0.22f, 0.22f, 0.22f};
constexpr Vec3 kTextGrey{0.35f, 0.4f, 0.4f};

constexpr std::array<const char*, kMountCount> kMountLabels = {
    "LT / LEFT HAND", "RT / RIGHT HAND", "Y / LEFT SHOULDER", "B / RIGHT SHOULDER", "X / LEFT HIP", "A / RIGHT HIP",
};

struct Place {
    float x, y;
};

// Clockwise from the top left: the first campaign's ring of 16, any other
// campaign's ring of 20.
Place thumbnailPlace(int campaignRow, int i) {
    if (campaignRow == 0) {
        static constexpr std::array<Place, 16> ring = {{{74, 27}, {120, 27}, {166, 27}, {212, 27},
                                                        {254, 64}, {254, 103}, {254, 142}, {254, 181},
                                                        {212, 218}, {166, 218}, {120, 218}, {74, 218},
                                                        {32, 181}, {32, 142}, {32, 103}, {32, 64}}};
        return ring[static_cast<std::size_t>(i % 16)];
    }
    const auto f = static_cast<float>(i);
    if (i < 5) return {55.0f + 42.0f * f, 27.0f};
    if (i < 10) return {264.0f, 57.0f + 35.0f * (f - 5.0f)};
    if (i < 15) return {223.0f - 42.0f * (f - 10.0f), 232.0f};
    return {22.0f, 197.0f - 35.0f * (f - 15.0f)};
}

// The briefing of mission `m`, or an empty one when the list lacks it.
const Renderer::Mission& briefingOf(const std::vector<Renderer::Mission>& briefings, int m) {
    static const Renderer::Mission none;
    if (m < 0 || static_cast<std::size_t>(m) >= briefings.size()) return none;
    return briefings[static_cast<std::size_t>(m)];
}

const char* shortName(Weapon w) { return weaponInfo(w, 0).shortName; }

}  // namespace

void Layout::missionSelection(const std::vector<Renderer::Mission>& briefings) {
    const Progression& progress = menu_.progression;
    const int count = progress.rules.missionCount();
    const int row = menu_.campaignRow;
    const int cursor = menu_.missionCursor;
    art("mission-selection-panel", 0, 0, 320, 274, 0);
    for (int i = 0; i < count; ++i) {
        const Place at = thumbnailPlace(row, i);
        const bool open = menu_.skirmish || menu_.sandbox || progress.missionAvailable(i);
        art(thumbnailName(row, i), at.x, at.y, 34, 29, 0.01f, open ? kMenuWhite : kThumbnailGrey);
        if (i == cursor) {
            // Bars along the thumbnail's top and bottom edges, one unit outside.
            add(PanelLine{at.x - 1.0f, at.y - 1.0f, 0.016f, {0, 0, 0}, {0.468f, 0, 0}, 0.008f, kMenuAmber});
            add(PanelLine{at.x - 1.0f, at.y - 1.0f, 0.016f, {0, -0.403f, 0}, {0.468f, -0.403f, 0}, 0.008f, kMenuAmber});
        }
    }
    add(PanelCube{thumbnailName(row, cursor), menu_.carouselAngle + 0.35f + 0.45f * menu_.menuClock});
    text(std::to_string(static_cast<long long>(cursor) + 1) + " / " + briefingOf(briefings, cursor).title, 76, 196,
         0.95f, kMenuAmber);

    const bool allComplete = count > 0 && count <= 32 &&
                             progress.completed == (count == 32 ? ~u32{0} : (u32{1} << count) - 1u);
    const char* header = menu_.sandbox  ? "SANDBOX"
                         : allComplete  ? "CAMPAIGN COMPLETE"
                         : row == 0     ? "SELECT MISSION"
                                        : "STORMBASTION 2";
    text(header, 105, -8, 1.4f, kMenuMint);

    const bool inRange = cursor >= 0 && cursor < count;
    const bool locked = !menu_.skirmish && !(inRange && (menu_.sandbox || progress.missionAvailable(cursor)));
    const bool complete = cursor >= 0 && cursor < 32 && (progress.completed >> cursor & 1u) != 0;
    text(locked ? "LOCKED" : complete ? "COMPLETE" : "AVAILABLE", 120, 178, 1.1f, kMenuAmber);
    if (!locked) {
        text(menu_.resultLine, 15, 268, 1, kMenuAmber);
    } else {
        text(row == 0 && cursor >= 12 ? "COMPLETE ALL PREVIOUS MISSIONS" : "COMPLETE THE PREVIOUS GROUP OF FOUR", 15,
             268, 1, kMenuAmber);
    }
    text("STICK / ARROWS: SELECT    TRIGGER / ENTER: BRIEFING", 0, 286, 1.05f, kMenuMint);
}

void Layout::briefing(const std::vector<Renderer::Mission>& briefings) {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    if (menu_.skirmish) {
        const SkirmishSettings& settings = menu_.skirmishSettings;
        text("SKIRMISH BRIEFING", 42, 29, 2, kMenuAmber);
        text("SEED " + std::to_string(settings.seed), 20, 65, 1.3f, kMenuMint);
        const std::string blocks = std::to_string(settings.mapBlocks);
        text("MAP " + blocks + " X " + blocks + " / " + settings.terrain + " / " + settings.water, 20, 87, 1.1f,
             kMenuGreen);
        const std::vector<std::string> lines = missionLines(menu_.statusLine, 50);
        for (std::size_t i = 0; i < lines.size() && i < 8; ++i)
            text(lines[i], 20, 119.0f + 14.0f * static_cast<float>(i), 1.25f, kMenuGreen);
        text("ALL EQUIPMENT AVAILABLE IN ARMING", 20, 253, 1.05f, kMenuAmber);
    } else {
        const int m = menu_.missionCursor;
        const Renderer::Mission& mission = briefingOf(briefings, m);
        art(thumbnailName(menu_.campaignRow, m), 170, 40, 136, 116, 0.005f);
        text("MISSION " + std::to_string(static_cast<long long>(m) + 1), 20, 56, 1.3f, kMenuAmber);
        text(mission.title, 20, 77, 0.9f, kMenuMint);
        text("RESISTANCE", 20, 105, 1.2f, kMenuMint);
        text("OPERATIONS", 20, 121, 1.2f, kMenuMint);
        for (std::size_t i = 0; i < mission.lines.size(); ++i)
            text(mission.lines[i], 15, 170.0f + 9.0f * static_cast<float>(i), 1.9f, kMenuGreen);
    }
    text("ENTER / TRIGGER: ARM     ESC / MENU: BACK", 0, 286, 1.15f, kMenuMint);
}

void Layout::loadout() {
    const Progression& progress = menu_.progression;
    const Weapon selected = menu_.loadoutCursor;
    const bool everything = menu_.skirmish || menu_.sandbox;
    const bool twoPages = everything || menu_.campaignRow != 0;
    const Weapon limit = twoPages ? 13 : 9;
    const auto usable = [&](Weapon w) { return everything || progress.weaponAvailable(w); };

    art("weapon-loadout-panel", 0, 0, 320, 266, 0);
    text(weaponInfo(selected, 0).name, 155, 41, 1.12f, kMenuAmber);
    text(menu_.loadoutMessage, 0, 279, 0.95f, kMenuAmber);

    const Weapon page = selected > 0 ? (selected - 1) / 8 : 0;
    for (Weapon i = 0; i < 8; ++i) {
        const Weapon w = 8 * page + 1 + i;
        if (w >= limit) break;
        const float column = 64.0f * static_cast<float>(i % 2);
        const float row = 39.0f * static_cast<float>(i / 2);
        const Vec3 colour = !usable(w) ? kTextGrey : w == selected ? kMenuAmber : kMenuGreen;
        text(shortName(w), 15.0f + column, 45.0f + row, 1.15f, colour);
        if (w == selected) add(PanelLine{13.0f + column, 40.0f + row, 0.03f, {0, 0, 0}, {0.663f, 0, 0}, 0.007f, kMenuAmber});
        add(PanelModel{weaponModel(w), 39.0f + column, 61.0f + row, 0.16f, 0.37f, 0.6f + 0.7f * menu_.menuClock});
    }
    if (twoPages) text(std::to_string(page + 1) + " / 2", 103, 214, 1.1f, kMenuGreen);
    if (selected > 0) add(PanelModel{weaponModel(selected), 230, 65, 0.2f, 0.44f, 0.5f + 0.5f * menu_.menuClock});

    if (selected == kAutoGrenade && usable(selected)) text("REQUIRES BOTH HIPS", 150, 91, 0.9f, kMenuAmber);
    if (selected > 0 && !usable(selected)) {
        const std::vector<int>& rewards = progress.rules.missionRewards;
        for (std::size_t k = 0; k < rewards.size(); ++k) {
            if (rewards[k] >= 0 && static_cast<Weapon>(rewards[k]) == selected)
                text("LOCKED - COMPLETE MISSION " + std::to_string(k + 1), 150, 91, 0.95f, kMenuAmber);
        }
    }
    text("REMOVE", 22, 214, 1.3f, selected == kEmptyHand ? kMenuAmber : kMenuGreen);

    for (int i = 0; i < kMountCount; ++i) {
        const float y = 105.0f + 20.0f * static_cast<float>(i);
        const bool fits = usable(selected) && compatible(selected, i);
        text(kMountLabels[static_cast<std::size_t>(i)], 155, y, 0.95f, fits ? kMenuAmber : kTextGrey);
        const bool reserved = i >= 4 && menu_.loadout[static_cast<std::size_t>(i == 4 ? 5 : 4)] == kAutoGrenade;
        text(reserved ? "RESERVED" : shortName(menu_.loadout[static_cast<std::size_t>(i)]), 168, y + 9.0f, 1.2f,
             kMenuMint);
    }

    text("STICK / ARROWS: WEAPON", 0, -9, 1.3f, kMenuMint);
    text(menu_.coopActive ? "PRESS MOUNT TO EQUIP    ENTER / MENU: READY"
                          : "PRESS MOUNT TO EQUIP    ENTER / MENU: DEPLOY",
         0, 293, 1.05f, kMenuMint);
    text("GRIP + MOUNT: REMOVE    ESC / STICK DOWN: BACK", 0, 304, 1.05f, kMenuMint);
}

void Layout::debrief(const std::vector<Renderer::Mission>& briefings) {
    art("mission-briefing-panel", 0, 0, 320, 274, 0);
    if (menu_.skirmish) {
        text("SKIRMISH COMPLETE", 35, 28, 2, kMenuAmber);
        text("SEED " + std::to_string(menu_.skirmishSettings.seed), 20, 65, 1.35f, kMenuGreen);
        const std::vector<std::string> lines = missionLines(menu_.statusLine, 50);
        for (std::size_t i = 0; i < lines.size() && i < 6; ++i)
            text(lines[i], 20, 102.0f + 14.0f * static_cast<float>(i), 1.2f, kMenuGreen);
        text(menu_.resultLine, 20, 216, 1.1f, kMenuAmber);
        text("ENTER / MENU: SKIRMISH SETUP", 20, 250, 1.2f, kMenuGreen);
        return;
    }
    const int last = static_cast<int>(briefings.size()) - 1;
    const int m = menu_.debriefMission >= 0 ? std::max(0, std::min(menu_.debriefMission, last)) : 0;
    text(menu_.coopActive ? "TEAM VICTORY" : "MISSION COMPLETE", 38, 22, 2, kMenuAmber);
    art(thumbnailName(menu_.campaignRow, m), 92, 48, 136, 116, 0.005f);
    text(std::to_string(m + 1) + " / " + briefingOf(briefings, m).title, 12, 181, 1.1f, kMenuGreen);
    text(menu_.resultLine, 12, 205, 1.15f, kMenuAmber);
    text(menu_.secondResultLine, 12, 226, 1.05f, kMenuGreen);
    text(menu_.coopActive && !menu_.host ? "ENTER / MENU: WAIT FOR HOST" : "ENTER / MENU: MISSION SELECTION", 12, 252,
         1, kMenuGreen);
    if (menu_.coopActive) {
        text(menu_.voiceLine, 12, 278, 1, kMenuGreen);
        text(menu_.radio ? "TEAM RADIO ON - M: MUTE" : "TEAM RADIO MUTED - M: UNMUTE", 12, 294, 1, kMenuAmber);
    }
}

}  // namespace bastion
