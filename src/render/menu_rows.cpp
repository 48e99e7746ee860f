#include "render/internal/menu_rows.h"

#include <cmath>
#include <cstdio>

#include "shell/frontend/frontend.h"

namespace bastion {
namespace {

std::string percent(const char* label, float volume) {
    return label + std::to_string(static_cast<long>(std::lround(volume * 100.0f))) + "%";
}

}  // namespace

std::vector<std::string> lobbyRows(const Frontend& menu) {
    const bool guest = menu.coopActive && !menu.host;
    switch (menu.screen) {
    case Frontend::kTitle:
        return {"SINGLEPLAYER", "COOPERATIVE", "LOAD", "EXIT"};
    case Frontend::kCampaignChoice:
        if (menu.menuMode == 1) return {"STORMBASTION", "STORMBASTION 2", "SKIRMISH"};
        return {"STORMBASTION", "STORMBASTION 2"};
    case Frontend::kCoopMenu:
        return {"HOST LOBBY", "JOIN BY CODE", "BACK"};
    case Frontend::kMissionMenu:
        return {"RESUME",
                guest ? "RESTART - HOST ONLY" : "RESTART MISSION",
                guest ? "ABORT - HOST ONLY" : "ABORT MISSION",
                "SELF DESTRUCT",
                menu.radio ? "MICROPHONE: ON" : "MICROPHONE: MUTED",
                percent("SOUND: ", menu.soundVolume),
                percent("MUSIC: ", menu.musicVolume),
                "LEAVE TO TITLE"};
    default:
        return {};
    }
}

std::string thumbnailName(int campaign, int mission) {
    // Counted in a wider type so that no mission index overflows its number.
    char name[48];
    std::snprintf(name, sizeof name, "%smission-thumbnail-%02lld", campaign != 0 ? "sb2-" : "",
                  static_cast<long long>(mission) + 1);
    return name;
}

}  // namespace bastion
