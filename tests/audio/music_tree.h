#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/score_events.h"
#include "support/temp_folder.h"

namespace bastion::testing_support {

// A small music tree of our own in a temp folder: a retail folder with its
// "audio" folder and the system folder beside it holding the demo wave ROM.
// The description starts with the demo clocks, mission tracks all 0 and
// seven songs without instruments; every score is empty.
class MusicTree {
public:
    MusicTree();

    const std::filesystem::path& retail() const { return retail_; }
    std::filesystem::path audio() const { return retail_ / "audio"; }
    std::filesystem::path rom() const;

    // Native rate = tick rate = `rate` Hz, so one tick passes per native frame.
    void setRates(std::uint32_t rate);
    void addInstrument(int song, const nlohmann::json& instrument);
    void writeScore(int song, const std::vector<contentgen::ScoreEvent>& events) const;
    void writeSample(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    // Writes the description as it is now.
    void write() const;

    nlohmann::json description;

private:
    TempFolder folder_;
    std::filesystem::path retail_;
};

// Instrument descriptions with all twenty words given.
nlohmann::json fmInstrument(const std::vector<std::uint32_t>& words, const std::vector<int>& carrier,
                            const std::vector<int>& modulator, const std::vector<int>& envelope);
nlohmann::json sampleInstrument(const std::vector<std::uint32_t>& words, const std::string& file);

}  // namespace bastion::testing_support
