#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "shell/shared/player_name.h"

namespace bastion {

// The largest client configuration file that is read.
inline constexpr std::uintmax_t kClientConfigLimit = 1048576;

// The per-user client settings: the lobby server, the player name and the
// two volumes.
struct ClientConfig {
    std::string server = "127.0.0.1:29597";
    std::string playerName = "Pilot";
    float soundVolume = 1.0f;
    float musicVolume = 1.0f;

    // "config.json" in the user's configuration folder.
    static std::filesystem::path defaultPath();

    // Replaces all four settings from the file, or none when it is bad
    // (std::runtime_error or the JSON library's exception). A missing file
    // changes nothing unless the user named it (`explicitPath`).
    void load(const std::filesystem::path& path, bool explicitPath);

    // Applies "BASTION_LOBBY_SERVER" and "BASTION_PLAYER_NAME" when set.
    void environment();

    // Writes the two volumes into the file, keeping its other members,
    // through an atomic replace; on a throw the file is unchanged.
    void saveAudio(const std::filesystem::path& path) const;
};

}  // namespace bastion
