#pragma once

#include <cstdint>
#include <vector>

// Instrument samples of the demo music, synthesised at the music's native
// rate, and their two file encodings.
namespace bastion::contentgen {

inline constexpr int kMusicRate = 24000;
inline constexpr double kPadRootHz = 261.6256;  // the pads' chords stand on C4

// Signed values in -1..1.
std::vector<double> kickDrum();
std::vector<double> snareDrum();
std::vector<double> hiHat();
// A soft, slowly fading chord: root, third (minor or major) and fifth with
// the root an octave below.
std::vector<double> padChord(bool minor);

// 8-bit square-law bytes: magnitude 2 x (b AND 0x7F)^2 of full scale 32768,
// bit 7 the sign.
std::vector<std::uint8_t> encode8(const std::vector<double>& samples);
// 16-bit big-endian signed values.
std::vector<std::uint8_t> encode16(const std::vector<double>& samples);

}  // namespace bastion::contentgen
