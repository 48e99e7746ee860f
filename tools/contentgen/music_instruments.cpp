#include "contentgen/music_instruments.h"

#include <array>
#include <cmath>
#include <string>

#include "contentgen/binary_file.h"
#include "contentgen/music_samples.h"
#include "contentgen/synth_waves.h"

namespace bastion::contentgen {
namespace {

using nlohmann::json;

// Carrier phase steps are (1024 x pitch) >> 4 of a 2^23 cycle per native
// sample, so one pitch unit is this many Hz.
constexpr double kHzPerPitch = 64.0 * kMusicRate / 8388608.0;
constexpr std::uint32_t kFmPitchBase = 1024;
constexpr std::uint32_t kPoint = 65536;  // one envelope point
constexpr std::uint32_t kPitchFollow = 0x80000000u;
constexpr std::uint32_t kDrumStepBase = 4096;  // step 1.0 at kDrumPitch

struct FmVoice {
    std::uint32_t level;
    std::uint32_t ratioSixtyFourths;  // modulator frequency over carrier, x64
    std::uint32_t depth;
    double seconds;  // length of the whole envelope
    std::array<int, 10> envelope;
    std::uint32_t pan;
    SynthWave carrier;
};

json fmInstrument(const FmVoice& v, const json& modulator) {
    std::array<std::uint32_t, 20> words{};
    words[0] = 4;
    words[4] = kFmPitchBase;
    words[6] = v.level;
    words[8] = kPitchFollow | v.ratioSixtyFourths;
    words[11] = static_cast<std::uint32_t>(std::lround(9.0 * kPoint / (v.seconds * kMusicRate)));
    words[12] = 9 * kPoint;
    words[15] = 8 * kPoint;
    words[16] = v.depth;
    words[19] = v.pan;
    return {{"kind", 4},
            {"words", words},
            {"carrier", {{"rom", waveAddress(v.carrier)}}},
            {"modulator", modulator},
            {"envelope", v.envelope}};
}

json sampleInstrument(std::uint32_t type, std::uint32_t level, std::uint32_t stepBase, std::size_t length,
                      std::uint32_t pan, std::uint32_t id) {
    std::array<std::uint32_t, 20> words{};
    words[0] = type;
    words[1] = level;
    words[3] = stepBase;
    words[4] = static_cast<std::uint32_t>(length - 1) * 256;
    words[8] = words[4];  // released notes end at once
    words[19] = pan;
    return {{"kind", type}, {"words", words}, {"sample_id", id}};
}

json romWave(SynthWave wave) { return {{"rom", waveAddress(wave)}}; }

}  // namespace

std::uint32_t notePitch(int note) {
    const double hz = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    return static_cast<std::uint32_t>(std::lround(hz / kHzPerPitch)) & 0x3FFF;
}

json instrumentBank() {
    const std::array<int, 10> pluck = {30000, 23000, 17000, 12500, 9000, 6400, 4400, 2800, 1300, 0};
    const std::array<int, 10> swell = {0, 24000, 30000, 28000, 25000, 21000, 16000, 10000, 4000, 0};
    // The bell's modulator comes inline rather than from the ROM.
    const json bellModulator = {{"values", waveValues(SynthWave::kSine)}};
    const std::uint32_t padStep = static_cast<std::uint32_t>(std::lround(kHzPerPitch * 4096.0 * 256.0 / kPadRootHz));
    const std::size_t padLength = padChord(true).size();

    json bank = json::array();
    bank.push_back(fmInstrument({700, 64, 260, 0.55, pluck, 16384, SynthWave::kSine}, romWave(SynthWave::kSine)));
    bank.push_back(fmInstrument({420, 64, 800, 1.1, pluck, 11000, SynthWave::kSine}, romWave(SynthWave::kSine)));
    bank.push_back(fmInstrument({380, 224, 5200, 1.8, pluck, 21500, SynthWave::kSine}, bellModulator));
    bank.push_back(fmInstrument({400, 128, 900, 1.0, swell, 20000, SynthWave::kTriangle}, romWave(SynthWave::kSine)));
    json padMinor = sampleInstrument(12, 330, padStep, padLength, 16384, 4);
    padMinor["sample_file"] = "pad-minor.raw";
    bank.push_back(padMinor);
    bank.push_back(sampleInstrument(12, 330, padStep, padLength, 16384, 5));
    bank.push_back(sampleInstrument(32, 560, kDrumStepBase, kickDrum().size(), 16384, 6));
    bank.push_back(sampleInstrument(32, 380, kDrumStepBase, snareDrum().size(), 14500, 7));
    bank.push_back(sampleInstrument(32, 190, kDrumStepBase, hiHat().size(), 21000, 8));
    return bank;
}

void writeInstrumentSamples(const std::filesystem::path& audio) {
    writeBinaryFile(audio / "pad-minor.raw", encode16(padChord(true)));
    writeBinaryFile(audio / "05.bin", encode16(padChord(false)));
    writeBinaryFile(audio / "06.bin", encode8(kickDrum()));
    writeBinaryFile(audio / "07.bin", encode8(snareDrum()));
    writeBinaryFile(audio / "08.bin", encode8(hiHat()));
}

}  // namespace bastion::contentgen
