#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// The native rate and song clock of the demo music: a 24,576,000 Hz system
// clock gives 24000 samples and 1024 ticks per second.
nlohmann::json musicClocks();

// Writes the demo music into the retail folder: "audio/music.json", the
// instrument samples and the seven scores. The wave ROM lives beside the
// retail folder (writeSystemFolder).
void writeMusic(const std::filesystem::path& retail);

}  // namespace bastion::contentgen
