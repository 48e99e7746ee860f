#pragma once

#include <cstdint>
#include <filesystem>

#include <nlohmann/json.hpp>

// The demo music's instrument bank: four two-operator FM instruments on the
// wave ROM and five sampled ones, the same for every song.
namespace bastion::contentgen {

enum MusicInstrument : std::uint32_t {
    kBass,
    kPiano,
    kBell,
    kBrass,
    kPadMinor,
    kPadMajor,
    kKick,
    kSnare,
    kHat,
};

// The 14-bit pitch of MIDI note `note` on the demo's native rate: FM
// instruments and pads sound that note at it, drums play at their recorded
// speed at kDrumPitch.
std::uint32_t notePitch(int note);
inline constexpr std::uint32_t kDrumPitch = 256;

// The "instruments" array of a song.
nlohmann::json instrumentBank();

// Writes the sample files the bank names into the retail "audio" folder.
void writeInstrumentSamples(const std::filesystem::path& audio);

}  // namespace bastion::contentgen
