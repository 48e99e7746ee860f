#include "music_tree.h"

#include "contentgen/binary_file.h"
#include "contentgen/json_file.h"
#include "contentgen/music_content.h"
#include "contentgen/synth_waves.h"

namespace bastion::testing_support {

using nlohmann::json;

MusicTree::MusicTree() : folder_("music-tree"), retail_(folder_.path() / "retail") {
    description = contentgen::musicClocks();
    description["mission_tracks"] = std::vector<int>(16, 0);
    description["modules"] = json::array();
    for (int song = 0; song < 7; ++song) {
        description["modules"].push_back({{"instruments", json::array()}});
        writeScore(song, {});
    }
    contentgen::writeSystemFolder(retail_);
    write();
}

std::filesystem::path MusicTree::rom() const { return folder_.path() / "system/synth-wavetable.bin"; }

void MusicTree::setRates(std::uint32_t rate) {
    description["system_clock"] = 64.0 * rate;
    description["sclk"] = 0;
    description["timer_prescaler"] = 0;
    description["timer_divider"] = 63;
}

void MusicTree::addInstrument(int song, const json& instrument) {
    description["modules"][static_cast<std::size_t>(song)]["instruments"].push_back(instrument);
}

void MusicTree::writeScore(int song, const std::vector<contentgen::ScoreEvent>& events) const {
    contentgen::writeScore(audio() / ("score-" + std::to_string(song + 14) + ".bin"), events);
}

void MusicTree::writeSample(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    contentgen::writeBinaryFile(audio() / name, bytes);
}

void MusicTree::write() const { contentgen::writeJsonFile(audio() / "music.json", description); }

json fmInstrument(const std::vector<std::uint32_t>& words, const std::vector<int>& carrier,
                  const std::vector<int>& modulator, const std::vector<int>& envelope) {
    std::vector<int> carrierValues = carrier;
    std::vector<int> modulatorValues = modulator;
    carrierValues.resize(128);
    modulatorValues.resize(128);
    return {{"kind", 4},
            {"words", words},
            {"carrier", {{"values", carrierValues}}},
            {"modulator", {{"values", modulatorValues}}},
            {"envelope", envelope}};
}

json sampleInstrument(const std::vector<std::uint32_t>& words, const std::string& file) {
    return {{"kind", words.at(0)}, {"words", words}, {"sample_id", 1}, {"sample_file", file}};
}

}  // namespace bastion::testing_support
