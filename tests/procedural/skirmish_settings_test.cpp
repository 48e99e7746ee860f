#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "procedural/skirmish_generator.h"

namespace bastion {
namespace {

// The text of the std::invalid_argument the generator throws, or "accepted".
std::string refusal(const SkirmishSettings& settings) {
    try {
        generateSkirmishRecipe(settings);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "accepted";
}

const std::string kPrefix = "Invalid Skirmish settings: ";

TEST(SkirmishSettingsCheck, EachLimitHasItsMessage) {
    struct Row {
        std::function<void(SkirmishSettings&)> change;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {[](SkirmishSettings& s) { s.mapBlocks = 2; }, "accepted"},
        {[](SkirmishSettings& s) { s.mapBlocks = 8; }, "accepted"},
        {[](SkirmishSettings& s) { s.mapBlocks = 1; }, kPrefix + "map cells must be 2..8"},
        {[](SkirmishSettings& s) { s.mapBlocks = 9; }, kPrefix + "map cells must be 2..8"},
        {[](SkirmishSettings& s) { s.mapBlocks = -4; }, kPrefix + "map cells must be 2..8"},
        {[](SkirmishSettings& s) { s.sceneryDensity = 16; }, "accepted"},
        {[](SkirmishSettings& s) { s.sceneryDensity = 0; }, kPrefix + "density must be 1..16"},
        {[](SkirmishSettings& s) { s.sceneryDensity = 17; }, kPrefix + "density must be 1..16"},
        {[](SkirmishSettings& s) { s.groundUnitsPerZone = 12; }, "accepted"},
        {[](SkirmishSettings& s) { s.groundUnitsPerZone = 0; }, kPrefix + "ground units must be 1..12 per zone"},
        {[](SkirmishSettings& s) { s.groundUnitsPerZone = 13; }, kPrefix + "ground units must be 1..12 per zone"},
        {[](SkirmishSettings& s) { s.airUnits = 0; }, "accepted"},
        {[](SkirmishSettings& s) { s.airUnits = 8; }, "accepted"},
        {[](SkirmishSettings& s) { s.airUnits = -1; }, kPrefix + "air units must be 0..8"},
        {[](SkirmishSettings& s) { s.airUnits = 9; }, kPrefix + "air units must be 0..8"},
        {[](SkirmishSettings& s) { s.terrain = "Hills"; }, kPrefix + "unknown terrain"},
        {[](SkirmishSettings& s) { s.terrain = ""; }, kPrefix + "unknown terrain"},
        {[](SkirmishSettings& s) { s.water = "river"; }, kPrefix + "unknown water layout"},
        {[](SkirmishSettings& s) { s.objective = 2; }, "accepted"},
        {[](SkirmishSettings& s) { s.objective = 3; }, "Invalid Skirmish objective"},
        {[](SkirmishSettings& s) { s.objective = -1; }, "Invalid Skirmish objective"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SkirmishSettings settings;
        rows[i].change(settings);
        EXPECT_EQ(refusal(settings), rows[i].expected) << "row " << i;
    }
}

// Settings that break every check at once, mended one check at a time: each
// step must report the first check still broken.
TEST(SkirmishSettingsCheck, TheFirstBrokenCheckIsReported) {
    SkirmishSettings settings;
    settings.mapBlocks = 9;
    settings.sceneryDensity = 0;
    settings.groundUnitsPerZone = 13;
    settings.airUnits = 9;
    settings.terrain = "mud";
    settings.water = "sea";
    settings.objective = 3;
    const std::vector<std::pair<std::function<void(SkirmishSettings&)>, std::string>> mends = {
        {[](SkirmishSettings& s) { s.mapBlocks = 4; }, kPrefix + "map cells must be 2..8"},
        {[](SkirmishSettings& s) { s.sceneryDensity = 9; }, kPrefix + "density must be 1..16"},
        {[](SkirmishSettings& s) { s.groundUnitsPerZone = 6; }, kPrefix + "ground units must be 1..12 per zone"},
        {[](SkirmishSettings& s) { s.airUnits = 3; }, kPrefix + "air units must be 0..8"},
        {[](SkirmishSettings& s) { s.terrain = "auto"; }, kPrefix + "unknown terrain"},
        {[](SkirmishSettings& s) { s.water = "auto"; }, kPrefix + "unknown water layout"},
        {[](SkirmishSettings& s) { s.objective = 0; }, "Invalid Skirmish objective"},
    };
    for (const auto& [mend, expected] : mends) {
        EXPECT_EQ(refusal(settings), expected);
        mend(settings);
    }
    EXPECT_EQ(refusal(settings), "accepted");
}

}  // namespace
}  // namespace bastion
