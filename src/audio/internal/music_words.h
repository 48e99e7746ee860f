#pragma once

#include <cstdint>

#include "world/math.h"

// Internal to the audio library: the layout of a voice's or instrument's
// parameter words, which depends on its type (word 0).
namespace bastion::music_words {

inline constexpr u32 kFm = 4;
inline constexpr u32 kSample16 = 12;
inline constexpr u32 kSample8 = 32;

inline constexpr u32 kFlag = 0x80000000u;  // loop flag of a level word

// FM voice words.
inline constexpr int kCarrierPhase = 3;
inline constexpr int kFmPitch = 4;
inline constexpr int kModulation = 5;
inline constexpr int kFmLevel = 6;
inline constexpr int kModulatorPhase = 7;
inline constexpr int kModulatorStep = 8;
inline constexpr int kModulationOffset = 9;
inline constexpr int kEnvelopeRate = 11;
inline constexpr int kEnvelopeEnd = 12;
inline constexpr int kEnvelopeLoop = 13;
inline constexpr int kEnvelopePosition = 14;
inline constexpr int kEnvelopeRelease = 15;
inline constexpr int kModulationDepth = 16;

// Sample voice words (8.8 fixed point positions).
inline constexpr int kSampleLevel = 1;
inline constexpr int kSampleStep = 3;
inline constexpr int kSampleEnd = 4;
inline constexpr int kSampleLoop = 5;
inline constexpr int kSamplePosition = 6;
inline constexpr int kSampleRelease = 8;

inline constexpr int kPan = 19;  // 0 full left to 32767 full right

inline int levelWord(u32 type) { return type == kFm ? kFmLevel : kSampleLevel; }
inline int pitchWord(u32 type) { return type == kFm ? kFmPitch : kSampleStep; }

}  // namespace bastion::music_words
