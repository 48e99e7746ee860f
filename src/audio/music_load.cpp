#include <cmath>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "audio/internal/music_data.h"
#include "audio/music.h"
#include "world/decoded_json.h"
#include "world/decoded_value.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr std::size_t kRomBytes = 4096;
constexpr u32 kRomBase = 0xF1D000;
constexpr u32 kRomLast = 0xF1DE00;
constexpr u32 kWaveBytes = 0x200;

std::int32_t low16(u32 word) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(word & 0xFFFF)); }

// Keeps the running total of sample and score bytes under its bound.
class DataBudget {
public:
    std::vector<std::uint8_t> read(const std::filesystem::path& path) {
        std::vector<std::uint8_t> data = music_data::bytes(path);
        total_ += data.size();
        if (total_ > music_data::kTotalLimit) throw std::runtime_error("Oversized music data: " + path.string());
        return data;
    }

private:
    std::uintmax_t total_ = 0;
};

// Any finite positive rate plays: however fast, the mixer and the sequencer
// bound the work of one audio buffer. A divider that wraps to 0 or a clock of
// 0 or below gives none.
double checkedRate(double rate, const char* message) {
    if (!std::isfinite(rate) || rate <= 0.0) throw std::runtime_error(message);
    return rate;
}

std::array<std::int32_t, 128> readWave(const json& wave, const std::vector<std::uint8_t>& rom) {
    std::array<std::int32_t, 128> values{};
    if (wave.is_object() && wave.contains("values")) {
        const json& list = wave.at("values");
        for (std::size_t k = 0; k < values.size(); ++k) values[k] = low16(decodeWord(list.at(k)));
        return values;
    }
    const u32 address = decodeWord(wave.at("rom"));
    if (address < kRomBase || address > kRomLast || (address - kRomBase) % kWaveBytes != 0)
        throw std::runtime_error("Invalid Synth wave address");
    const std::size_t offset = address - kRomBase;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::size_t at = offset + 4 * k + 2;
        values[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>(rom[at] << 8 | rom[at + 1]));
    }
    return values;
}

std::string sampleName(const json& instrument) {
    const json& id = instrument.at("sample_id");
    if (instrument.contains("sample_file")) {
        const std::string name = instrument.at("sample_file").get<std::string>();
        if (!music_data::plainFileName(name)) throw std::runtime_error("Invalid music sample name: " + name);
        return name;
    }
    const u32 number = id.is_null() ? 0 : decodeWord(id);
    return (number < 10 ? "0" : "") + std::to_string(number) + ".bin";
}

Music::Instrument readInstrument(const json& entry, const std::vector<std::uint8_t>& rom,
                                 const std::filesystem::path& audio, DataBudget& budget) {
    Music::Instrument instrument;
    instrument.kind = decodeWord(entry.at("kind"));
    const json& words = entry.at("words");
    if (!words.is_array()) words.get_ref<const json::array_t&>();  // the library's type error
    for (std::size_t k = 0; k < instrument.words.size(); ++k) instrument.words[k] = decodeWord(words.at(k));
    if (instrument.kind == 4) {
        instrument.carrier = readWave(entry.at("carrier"), rom);
        instrument.modulator = readWave(entry.at("modulator"), rom);
        const json& envelope = entry.at("envelope");
        if (!envelope.is_array()) envelope.get_ref<const json::array_t&>();
        for (std::size_t k = 0; k < instrument.envelope.size(); ++k)
            instrument.envelope[k] = low16(decodeWord(envelope.at(k)));
    } else {
        instrument.sample = budget.read(audio / sampleName(entry));
    }
    return instrument;
}

std::vector<u32> readScore(const std::filesystem::path& path, DataBudget& budget) {
    const std::vector<std::uint8_t> data = budget.read(path);
    if (data.size() % 8 != 0) throw std::runtime_error("Invalid score length");
    std::vector<u32> score(data.size() / 4);
    for (std::size_t i = 0; i < score.size(); ++i) {
        const std::uint8_t* b = &data[4 * i];
        score[i] = u32{b[0]} << 24 | u32{b[1]} << 16 | u32{b[2]} << 8 | u32{b[3]};
    }
    return score;
}

}  // namespace

Music::Music(const std::filesystem::path& root) {
    const std::filesystem::path audio = root / "audio";
    // An absent or unreadable description is the JSON library's parse error.
    const json description = parseJsonFile(audio / "music.json", music_data::kDescriptionLimit);
    if (!description.is_object() || !description.contains("schema") || !description["schema"].is_number() ||
        description["schema"] != 2)
        throw std::runtime_error("Run tools/decode_audio.py for Synth instruments");

    const double systemClock = description.at("system_clock").get<double>();
    const u32 sampleDivider = 64u * (decodeWord(description.at("sclk")) + 1u);
    sampleRate = checkedRate(systemClock / static_cast<double>(sampleDivider), "Invalid Synth sample rate");
    const u32 tickDivider =
        (decodeWord(description.at("timer_prescaler")) + 1u) * (decodeWord(description.at("timer_divider")) + 1u);
    tickRate = checkedRate(systemClock / static_cast<double>(tickDivider), "Invalid Synth tick rate");

    const json& tracks = description.at("mission_tracks");
    for (std::size_t i = 0; i < missionTracks.size(); ++i) {
        missionTracks[i] = decodeWord(tracks.at(i));
        if (missionTracks[i] > 5) throw std::runtime_error("Invalid music mapping");
    }

    const std::vector<std::uint8_t> rom = music_data::bytes(music_data::systemFolder(root) / "synth-wavetable.bin");
    if (rom.size() != kRomBytes) throw std::runtime_error("Invalid Synth wave ROM");

    DataBudget budget;
    const json& modules = description.at("modules");
    for (std::size_t i = 0; i < songs.size(); ++i) {
        const json& instruments = modules.at(i).at("instruments");
        for (const json& entry : instruments.get_ref<const json::array_t&>())
            songs[i].instruments.push_back(readInstrument(entry, rom, audio, budget));
        songs[i].score = readScore(audio / ("score-" + std::to_string(i + 14) + ".bin"), budget);
    }
}

}  // namespace bastion
