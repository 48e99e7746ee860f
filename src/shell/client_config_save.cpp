#include <chrono>
#include <cmath>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/atomic_replace.h"
#include "platform/regular_file.h"
#include "shell/client_config.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr platform::ReplaceTexts kReplaceTexts = {
    "Cannot write client config", "Cannot write client config", "Cannot write client config",
    "Cannot replace client config"};

bool validVolume(float volume) { return std::isfinite(volume) && volume >= 0.0f && volume <= 1.0f; }

// The file's members, or none when there is no file yet.
json currentMembers(const std::filesystem::path& path) {
    if (!std::filesystem::exists(std::filesystem::status(path))) return json::object();
    std::optional<std::string> text = platform::readRegularFile(path, kClientConfigLimit);
    if (!text) throw std::runtime_error("Cannot read client config");
    std::istringstream stream(std::move(*text));
    json config;
    // Only the first value counts; anything after it is dropped on writing.
    stream >> config;
    if (!config.is_object()) throw std::runtime_error("Client config must be a JSON object");
    return config;
}

std::filesystem::path temporaryName(const std::filesystem::path& path) {
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    return path.native() + ".tmp." + std::to_string(tick);
}

}  // namespace

void ClientConfig::saveAudio(const std::filesystem::path& path) const {
    if (!validVolume(soundVolume) || !validVolume(musicVolume)) {
        throw std::runtime_error("Invalid audio volume");
    }
    json config = currentMembers(path);
    config["sound_volume"] = static_cast<double>(soundVolume);
    config["music_volume"] = static_cast<double>(musicVolume);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    try {
        platform::atomicReplace(
            path, config.dump(2) + "\n", [&] { return temporaryName(path); }, 100, kReplaceTexts);
    } catch (const platform::ReplaceFailure& failure) {
        // The configuration's failures carry fixed texts only.
        throw std::runtime_error(kReplaceTexts.of(failure.step));
    }
}

}  // namespace bastion
