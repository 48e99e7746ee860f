#include <algorithm>

#include "audio/internal/music_words.h"
#include "audio/music.h"

namespace bastion {
namespace {

namespace mw = music_words;

constexpr u32 kPhaseMask = 0x7FFFFF;  // 23-bit oscillator phases

std::int32_t signed16(u32 word) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(word & 0xFFFF)); }

// One frame of an FM voice; false when its envelope ended.
bool fmValue(Music::Voice& voice, std::int32_t& out) {
    std::array<u32, Music::kWords>& w = voice.words;
    const Music::Instrument& instrument = *voice.instrument;
    w[mw::kCarrierPhase] = (w[mw::kCarrierPhase] + w[mw::kFmPitch] + w[mw::kModulation]) & kPhaseMask;
    w[mw::kModulatorPhase] = (w[mw::kModulatorPhase] + w[mw::kModulatorStep]) & kPhaseMask;

    u32& position = w[mw::kEnvelopePosition];
    position += w[mw::kEnvelopeRate];
    if (position > w[mw::kEnvelopeEnd]) {
        if (!(w[mw::kFmLevel] & mw::kFlag) || w[mw::kEnvelopeLoop] == 0) return false;
        position -= w[mw::kEnvelopeLoop];
    }
    const u32 point = position >> 16;
    const std::int32_t f = static_cast<std::int32_t>((position >> 8) & 0xFF);
    const std::int32_t env = (instrument.envelope[std::min<u32>(point, 9)] * (255 - f) +
                              instrument.envelope[std::min<u32>(point, 8) + 1] * f) >> 8;

    const u32 carrierPhase = w[mw::kCarrierPhase];
    const u32 c = carrierPhase >> 16;
    const std::int32_t g = static_cast<std::int32_t>((carrierPhase >> 8) & 0xFF);
    const std::int32_t wave =
        (instrument.carrier[c] * (255 - g) + instrument.carrier[(c + 1) & 127] * g) >> 8;
    const std::int64_t level = signed16(w[mw::kFmLevel]);
    out = static_cast<std::int32_t>((((wave * level) >> 15) * env) >> 15);

    // The modulation term bends the carrier's next phase step.
    const std::int32_t m = instrument.modulator[w[mw::kModulatorPhase] >> 16];
    const std::int32_t depth = signed16(w[mw::kModulationDepth]);
    const std::int32_t a = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<u32>((env * depth) >> 15) + w[mw::kModulationOffset]));
    w[mw::kModulation] = static_cast<u32>((a * m) >> 7);
    return true;
}

// Sample j of the voice's data, 0 where its bytes lie outside.
std::int32_t sampleAt(const std::vector<std::uint8_t>& data, u64 j, bool sixteenBit) {
    if (sixteenBit) {
        const u64 at = 2 * j;
        if (at + 2 > data.size()) return 0;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]));
    }
    if (j >= data.size()) return 0;
    const std::int32_t b = data[j];
    const std::int32_t magnitude = 2 * (b & 0x7F) * (b & 0x7F);
    return (b & 0x80) ? -magnitude : magnitude;
}

// One frame of a sample voice; false when it played past its end.
bool sampleValue(Music::Voice& voice, std::int32_t& out) {
    std::array<u32, Music::kWords>& w = voice.words;
    u32& position = w[mw::kSamplePosition];
    position += w[mw::kSampleStep];
    if (position > w[mw::kSampleEnd]) {
        if (!(w[mw::kSampleLevel] & mw::kFlag) || w[mw::kSampleLoop] == 0) return false;
        position -= w[mw::kSampleLoop];
    }
    const u64 j = position >> 8;
    const std::int32_t f = static_cast<std::int32_t>(position & 0xFF);
    const bool sixteenBit = w[0] == mw::kSample16;
    const std::vector<std::uint8_t>& data = voice.instrument->sample;
    const std::int32_t v = (sampleAt(data, j, sixteenBit) * (255 - f) + sampleAt(data, j + 1, sixteenBit) * f) >> 8;
    const std::int32_t level = static_cast<std::int32_t>(w[mw::kSampleLevel] & 0xFFFF);
    out = (level * v) >> 15;
    return true;
}

float toFloat(std::int64_t sum) {
    const std::int64_t clamped = std::clamp<std::int64_t>(sum >> 15, -32768, 32767);
    return static_cast<float>(clamped) * 3.0517578125e-05f;
}

}  // namespace

Music::Frame Music::sample() {
    events();
    std::int64_t left = 0;
    std::int64_t right = 0;
    for (Voice& voice : voices) {
        if (!voice.active) continue;
        std::int32_t out = 0;
        const u32 type = voice.words[0];
        bool sounding = false;
        if (type == music_words::kFm) {
            sounding = fmValue(voice, out);
        } else if (type == music_words::kSample16 || type == music_words::kSample8) {
            sounding = sampleValue(voice, out);
        }
        if (!sounding) {
            voice.active = false;
            continue;
        }
        const std::int64_t q = std::clamp<std::int32_t>(static_cast<std::int32_t>(voice.words[music_words::kPan]), 0, 32767);
        left += (32767 - q) * out;
        right += q * out;
    }
    clock += tickRate / sampleRate;
    return {toFloat(left), toFloat(right)};
}

}  // namespace bastion
