#include "shell/client_config.h"

#include <cmath>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/environment.h"
#include "platform/regular_file.h"
#include "world/json_numbers.h"

namespace bastion {
namespace {

using nlohmann::json;

bool knownKey(const std::string& key) {
    return key == "server" || key == "player_name" || key == "sound_volume" ||
           key == "music_volume";
}

float volume(const json& config, const char* key, float current) {
    const auto found = config.find(key);
    if (found == config.end()) return current;
    if (!found->is_number()) throw std::runtime_error(std::string(key) + " must be a number from 0 to 1");
    const float value = floatNumber(*found);
    if (!std::isfinite(value) || value < 0.0f || value > 1.0f) {
        throw std::runtime_error(std::string(key) + " must be from 0 to 1");
    }
    return value;
}

}  // namespace

std::filesystem::path ClientConfig::defaultPath() {
    const auto path = platform::userFile({
        {"APPDATA", "stormbastion-xr/config.json"},
        {"XDG_CONFIG_HOME", "stormbastion-xr/config.json"},
        {"HOME", ".config/stormbastion-xr/config.json"},
    });
    return path ? *path : std::filesystem::path("config.json");
}

void ClientConfig::load(const std::filesystem::path& path, bool explicitPath) {
    if (!explicitPath && !std::filesystem::exists(std::filesystem::status(path))) return;
    const std::optional<std::string> text = platform::readRegularFile(path, kClientConfigLimit);
    if (!text) throw std::runtime_error("Cannot read client config: " + path.string());
    const json config = json::parse(*text);
    if (!config.is_object()) throw std::runtime_error("Client config must be a JSON object");
    for (const auto& [key, value] : config.items()) {
        if (!knownKey(key)) throw std::runtime_error("Unknown client config key: " + key);
    }
    const auto serverValue = config.find("server");
    std::string loadedServer = serverValue != config.end() ? serverValue->get<std::string>() : server;
    const auto nameValue = config.find("player_name");
    std::string loadedName =
        validatePlayerName(nameValue != config.end() ? nameValue->get<std::string>() : playerName);
    if (loadedServer.empty()) throw std::runtime_error("Lobby server cannot be empty");
    const float loadedSound = volume(config, "sound_volume", soundVolume);
    const float loadedMusic = volume(config, "music_volume", musicVolume);

    server = std::move(loadedServer);
    playerName = std::move(loadedName);
    soundVolume = loadedSound;
    musicVolume = loadedMusic;
}

void ClientConfig::environment() {
    // Both are checked before either is applied, so a refused name leaves
    // the settings as they were.
    std::string newServer = platform::environmentText("BASTION_LOBBY_SERVER");
    const std::string name = platform::environmentText("BASTION_PLAYER_NAME");
    std::string newName = name.empty() ? playerName : validatePlayerName(name);
    if (!newServer.empty()) server = std::move(newServer);
    playerName = std::move(newName);
}

}  // namespace bastion
