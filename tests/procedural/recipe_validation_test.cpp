#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "procedural/recipe_fixtures.h"
#include "procedural/recipe_validation.h"

namespace bastion {
namespace {

using fixtures::json;

enum class Base { SmallV2, SmallV3, StrikeV3 };

json baseRecipe(Base base) {
    switch (base) {
        case Base::SmallV2: return fixtures::smallRecipeV2();
        case Base::SmallV3: return fixtures::smallRecipeV3();
        case Base::StrikeV3: return fixtures::strikeRecipeV3();
    }
    return {};
}

// The validator's message, or "" when the recipe passes.
std::string verdict(const json& recipe) {
    try {
        validateProceduralRecipe(recipe);
        return "";
    } catch (const std::runtime_error& error) {
        return error.what();
    }
}

const std::string kRecipe = "Invalid procedural recipe: ";
const std::string kTerrain = "Invalid procedural terrain: ";

struct Row {
    const char* label;
    Base base;
    std::function<void(json&)> mutate;
    std::string expected;  // empty: the recipe passes
};

json plot(int id, json bounds) {
    return {{"id", id}, {"bounds", std::move(bounds)}, {"role", "urban"}, {"sources", {"sb1"}}};
}

void addExtraction(json& r) {
    r["mission"]["extraction"] = true;
    r["extraction"] = {{"node", 0}, {"radius", 8}};
}

// Plots of `buildings` each in a row of 10 m squares south of the road.
void addPlots(json& r, int count, int buildings) {
    for (int i = 0; i < count; ++i) {
        const int id = static_cast<int>(r["plots"].size());
        json p = plot(id, {-200 + 10 * (id % 30), -200 + 10 * (id / 30), -190 + 10 * (id % 30),
                           -190 + 10 * (id / 30)});
        p["buildings"] = buildings;
        r["plots"].push_back(p);
    }
}

void addWater(json& r, json bounds) {
    r["terrain"]["water"].push_back({{"bounds", std::move(bounds)}, {"level", -1}, {"depth", 6}});
}

const Row kLayoutRows[] = {
    {"v2 example", Base::SmallV2, [](json&) {}, ""},
    {"not an object", Base::SmallV2, [](json& r) { r = json::array({r}); }, "expected an object"},
    {"schema", Base::SmallV2, [](json& r) { r["schema"] = "bastion-layout"; }, "unsupported schema"},
    {"version 2.0", Base::SmallV2, [](json& r) { r["version"] = 2.0; }, "unsupported version"},
    {"version 4", Base::SmallV2, [](json& r) { r["version"] = 4; }, "unsupported version"},
    {"version text", Base::SmallV2, [](json& r) { r["version"] = "2"; }, "unsupported version"},
    {"seed max", Base::SmallV2, [](json& r) { r["seed"] = 4294967295u; }, ""},
    {"seed 2^32", Base::SmallV2, [](json& r) { r["seed"] = 4294967296u; }, "seed must be uint32"},
    {"seed -1", Base::SmallV2, [](json& r) { r["seed"] = -1; }, "seed must be uint32"},
    {"seed 7.0", Base::SmallV2, [](json& r) { r["seed"] = 7.0; }, "seed must be uint32"},
    {"ground_y 0.0", Base::SmallV2, [](json& r) { r["ground_y"] = 0.0; }, ""},
    {"ground_y -0.0", Base::SmallV2, [](json& r) { r["ground_y"] = -0.0; }, ""},
    {"ground_y 1", Base::SmallV2, [](json& r) { r["ground_y"] = 1; }, "expected flat native metres"},
    {"units", Base::SmallV2, [](json& r) { r["units"] = "meters"; }, "expected flat native metres"},
    {"plane", Base::SmallV2, [](json& r) { r.erase("plane"); }, "expected flat native metres"},
    {"pilot_radius 3", Base::SmallV2, [](json& r) { r["pilot_radius"] = 3; }, "unexpected pilot clearance"},
    {"pilot_radius 4", Base::SmallV2, [](json& r) { r["pilot_radius"] = 4; }, "unexpected pilot clearance"},
    {"bounds of three", Base::SmallV2, [](json& r) { r["bounds"] = {-200, -200, 200}; }, "invalid world bounds"},
    {"bounds inverted", Base::SmallV2, [](json& r) { r["bounds"] = {200, -200, -200, 200}; }, "invalid world bounds"},
    {"bounds too wide", Base::SmallV2, [](json& r) { r["bounds"][0] = -1000.5; }, "world bounds exceed movement limits"},
    {"81 nodes", Base::SmallV2, [](json& r) { r = fixtures::lineRecipeV3(81, 1); }, ""},
    {"82 nodes", Base::SmallV2, [](json& r) { r = fixtures::lineRecipeV3(82, 1); }, "node budget exceeded"},
    {"one node", Base::SmallV2, [](json& r) { r["nodes"].erase(1); }, "node budget exceeded"},
    {"node of three", Base::SmallV2, [](json& r) { r["nodes"][1].push_back(0); }, "invalid node coordinate"},
    {"node at 950", Base::SmallV2, [](json& r) { r["bounds"][2] = 1000; r["nodes"][1][0] = 950; }, ""},
    {"node at 950.5", Base::SmallV2, [](json& r) { r["bounds"][2] = 1000; r["nodes"][1][0] = 950.5; }, "node outside runtime bounds"},
    {"duplicate node", Base::SmallV2, [](json& r) { r["nodes"][1] = {-100, 0}; }, "duplicate node"},
    {"no roads", Base::SmallV2, [](json& r) { r["roads"] = json::array(); }, "road budget exceeded"},
    {"no plots key", Base::SmallV2, [](json& r) { r.erase("plots"); }, "plot budget exceeded"},
    {"empty plots", Base::SmallV2, [](json& r) { r["plots"] = json::array(); }, ""},
    {"road to missing node", Base::SmallV2, [](json& r) { r["roads"][0]["nodes"][1] = 2; }, "invalid road endpoints"},
    {"road end 1.0", Base::SmallV2, [](json& r) { r["roads"][0]["nodes"][1] = 1.0; }, "invalid road endpoints"},
    {"zero-length road", Base::SmallV2, [](json& r) { r["roads"][0]["nodes"] = {0, 0}; }, "duplicate or zero-length road"},
    {"reversed second road", Base::SmallV2, [](json& r) { r["roads"].push_back({{"nodes", {1, 0}}, {"width", 20}}); }, "duplicate or zero-length road"},
    {"no width", Base::SmallV2, [](json& r) { r["roads"][0].erase("width"); }, "invalid road width"},
    {"width 12", Base::SmallV2, [](json& r) { r["roads"][0]["width"] = 12; }, "road width outside runtime limits"},
    {"diagonal road", Base::SmallV2, [](json& r) { r["nodes"][1] = {100, 50}; }, "roads must be orthogonal"},
    {"road past bounds", Base::SmallV2, [](json& r) { r["bounds"][0] = -105; }, "road outside world bounds"},
    {"road class", Base::SmallV2, [](json& r) { r["roads"][0]["class"] = "highway"; }, "invalid road class"},
    {"no road class", Base::SmallV2, [](json& r) { r["roads"][0].erase("class"); }, ""},
    {"empty districts", Base::SmallV2, [](json& r) { r["districts"] = json::array(); }, "invalid districts"},
    {"district id 64", Base::StrikeV3, [](json& r) { r["districts"][0]["id"] = 64; }, "invalid district"},
    {"district sources", Base::StrikeV3, [](json& r) { r["districts"][1]["sources"] = {"sb1", "sb1"}; }, "invalid district"},
    {"duplicate district", Base::StrikeV3, [](json& r) { r["districts"][1]["id"] = 5; }, "duplicate district"},
    {"plot of three", Base::SmallV2, [](json& r) { r["plots"][0]["bounds"] = {-60, 20, -20}; }, "invalid plot bounds"},
    {"plot 7 m wide", Base::SmallV2, [](json& r) { r["plots"][0]["bounds"][2] = -53; }, "plot outside bounds or too small"},
    {"plot past bounds", Base::SmallV2, [](json& r) { r["plots"][0]["bounds"][3] = 201; }, "plot outside bounds or too small"},
    {"plot on corridor edge", Base::SmallV2, [](json& r) { r["plots"][0]["bounds"][1] = 10; }, ""},
    {"plot 1 mm in corridor", Base::SmallV2, [](json& r) { r["plots"][0]["bounds"][1] = 9.999; }, "plot overlaps a road"},
    {"plots overlap", Base::SmallV2, [](json& r) { r["plots"].push_back(plot(1, {-30, 50, 0, 80})); }, "plots overlap"},
    {"plots touch", Base::SmallV2, [](json& r) { r["plots"].push_back(plot(1, {-20, 20, 0, 60})); }, ""},
    {"plot id", Base::SmallV2, [](json& r) { r["plots"][0]["id"] = 1; }, "plot id must match its index"},
    {"plot id 0.0", Base::SmallV2, [](json& r) { r["plots"][0]["id"] = 0.0; }, "plot id must match its index"},
    {"plot sources", Base::SmallV2, [](json& r) { r["plots"][0].erase("sources"); }, "invalid plot sources"},
    {"plot role", Base::SmallV2, [](json& r) { r["plots"][0]["role"] = "Urban"; }, "invalid plot role"},
    {"district missing", Base::SmallV2, [](json& r) { r["plots"][0]["district"] = 0; }, "invalid plot district"},
    {"district unknown", Base::StrikeV3, [](json& r) { r["plots"][0]["district"] = 1; }, "invalid plot district"},
    {"district role", Base::StrikeV3, [](json& r) { r["plots"][1]["role"] = "storage"; }, "plot differs from district preferences"},
    {"district sources", Base::StrikeV3, [](json& r) { r["plots"][0]["sources"] = {"sb1"}; }, "plot differs from district sources"},
    {"v1 bare plot", Base::SmallV2, [](json& r) { r["version"] = 1; r["plots"][0] = {{"bounds", {-60, 20, -20, 60}}}; }, ""},
    {"v1 plot id", Base::SmallV2, [](json& r) { r["version"] = 1; r["plots"][0]["id"] = 3; }, "plot id must match its index"},
    {"v1 district without role", Base::StrikeV3, [](json& r) { r["version"] = 1; r["plots"][1].erase("role"); }, "plot differs from district preferences"},
    {"v1 ignores mission", Base::SmallV2, [](json& r) { r["version"] = 1; r["mission"] = "none"; r["extraction"] = 5; }, ""},
    {"v1 wants encounters", Base::StrikeV3, [](json& r) { r["version"] = 1; }, "objective does not match mission kind"},
    {"no mission", Base::SmallV2, [](json& r) { r.erase("mission"); }, "missing mission specification"},
    {"mission kind", Base::SmallV2, [](json& r) { r["mission"]["kind"] = "assault"; }, "invalid mission kind"},
    {"extraction policy", Base::SmallV2, [](json& r) { r["mission"]["extraction"] = 0; }, "invalid extraction policy"},
    {"hold missing", Base::SmallV2, [](json& r) { r["mission"].erase("hold_seconds"); }, "invalid recon hold duration"},
    {"hold 0.5", Base::SmallV2, [](json& r) { r["mission"]["hold_seconds"] = 0.5; }, "invalid recon hold duration"},
    {"hold 30", Base::SmallV2, [](json& r) { r["mission"]["hold_seconds"] = 30; }, ""},
    {"extraction zone missing", Base::SmallV2, [](json& r) { r["mission"]["extraction"] = true; }, "extraction zone and policy disagree"},
    {"extraction zone unasked", Base::StrikeV3, [](json& r) { r["mission"]["extraction"] = false; }, "extraction zone and policy disagree"},
    {"no spawn", Base::SmallV2, [](json& r) { r.erase("spawn"); }, "invalid mission zones"},
    {"no objectives", Base::SmallV2, [](json& r) { r["objectives"] = json::array(); }, "invalid mission zones"},
    {"nine objectives", Base::SmallV2, [](json& r) { r = fixtures::lineRecipeV3(10, 9); }, "invalid mission zones"},
    {"radius text", Base::SmallV2, [](json& r) { r["spawn"]["radius"] = "8"; }, "invalid zone"},
    {"objective node 2", Base::SmallV2, [](json& r) { r["objectives"][0]["node"] = 2; }, "invalid zone"},
    {"objective not object", Base::SmallV2, [](json& r) { r["objectives"][0] = 1; }, "invalid zone"},
    {"radius 3", Base::SmallV2, [](json& r) { r["spawn"]["radius"] = 3; }, "zone radius outside runtime limits"},
    {"shared node", Base::SmallV2, [](json& r) { r["objectives"][0]["node"] = 0; }, "mission zones share a node"},
    {"zones touch", Base::SmallV2, [](json& r) { r["nodes"][1] = {-84, 0}; }, ""},
    {"zones overlap", Base::SmallV2, [](json& r) { r["nodes"][1] = {-85, 0}; }, "mission zones overlap"},
    {"zone past bounds", Base::SmallV2, [](json& r) { r["bounds"][0] = -112; r["spawn"]["radius"] = 15; }, "zone outside bounds"},
    {"zone on a plot", Base::SmallV2, [](json& r) { r["plots"].push_back(plot(1, {95, 10, 130, 50})); r["objectives"][0]["radius"] = 12; }, "zone blocked by a plot"},
    {"zone wider than road", Base::SmallV2, [](json& r) { r["objectives"][0]["radius"] = 11; }, "zone outside a road corridor"},
    {"objective kind", Base::SmallV2, [](json& r) { r["objectives"][0]["kind"] = "strike"; }, "objective does not match mission kind"},
    {"recon kind", Base::SmallV2, [](json& r) { r["mission"]["kind"] = "recon"; r["objectives"][0]["kind"] = "recon"; }, ""},
    {"strike example", Base::StrikeV3, [](json&) {}, ""},
    {"strike kind", Base::StrikeV3, [](json& r) { r["objectives"][1]["kind"] = "encounter"; }, "objective does not match mission kind"},
    {"strike no plot", Base::StrikeV3, [](json& r) { r["objectives"][0].erase("plot"); }, "invalid strike plot"},
    {"strike plot 4", Base::StrikeV3, [](json& r) { r["objectives"][0]["plot"] = 4; }, "invalid strike plot"},
    {"strike shared plot", Base::StrikeV3, [](json& r) { r["objectives"][1]["plot"] = 0; }, "strike objectives share a plot"},
    {"strike within x", Base::StrikeV3, [](json& r) { r["plots"][0]["bounds"] = {-10, 20, 30, 60}; }, "strike plot is not adjacent to its objective node"},
    {"strike 41 m off", Base::StrikeV3, [](json& r) { r["plots"][0]["bounds"] = {41, 20, 80, 60}; }, "strike plot is not adjacent to its objective node"},
    {"strike 40 m off", Base::StrikeV3, [](json& r) { r["plots"][0]["bounds"] = {40, 20, 80, 60}; }, ""},
    {"extraction elsewhere", Base::StrikeV3, [](json& r) { r["extraction"]["node"] = 2; }, "extraction must use the spawn node"},
    {"extraction not a zone", Base::StrikeV3, [](json& r) { r["extraction"] = json::array(); }, "invalid zone"},
    {"extraction touches objective", Base::SmallV2, [](json& r) { addExtraction(r); r["nodes"][1] = {-84, 0}; }, ""},
    {"extraction overlaps objective", Base::SmallV2, [](json& r) { addExtraction(r); r["nodes"][1] = {-84, 0}; r["extraction"]["radius"] = 9; }, "mission zones overlap"},
    {"disconnected node", Base::SmallV2, [](json& r) { r["nodes"].push_back({100, 100}); }, "road network is disconnected"},
};

const Row kTerrainRows[] = {
    {"v3 example", Base::SmallV3, [](json&) {}, ""},
    {"v2 skips terrain", Base::SmallV3, [](json& r) { r["version"] = 2; r.erase("terrain"); }, ""},
    {"no terrain", Base::SmallV3, [](json& r) { r.erase("terrain"); }, "missing physical terrain"},
    {"terrain array", Base::SmallV3, [](json& r) { r["terrain"] = json::array(); }, "missing physical terrain"},
    {"biome", Base::SmallV3, [](json& r) { r["terrain"]["biome"] = "swamp"; }, "unknown biome"},
    {"amplitude 24", Base::SmallV3, [](json& r) { r["terrain"]["amplitude"] = 24; }, ""},
    {"amplitude 24.5", Base::SmallV3, [](json& r) { r["terrain"]["amplitude"] = 24.5; }, "invalid elevation amplitude"},
    {"amplitude -1", Base::SmallV3, [](json& r) { r["terrain"]["amplitude"] = -1; }, "invalid elevation amplitude"},
    {"no water", Base::SmallV3, [](json& r) { r["terrain"].erase("water"); }, "water budget exceeded"},
    {"nine water bodies", Base::SmallV3, [](json& r) { for (int i = 0; i < 9; ++i) addWater(r, {100 + 10 * i, 100, 110 + 10 * i, 110}); }, "water budget exceeded"},
    {"water of three", Base::SmallV3, [](json& r) { addWater(r, {100, 100, 110}); }, "invalid water rectangle"},
    {"water on world edge", Base::SmallV3, [](json& r) { addWater(r, {150, 150, 200, 200}); }, ""},
    {"water past edge", Base::SmallV3, [](json& r) { addWater(r, {150, 150, 201, 200}); }, "water outside map"},
    {"water level 0.5", Base::StrikeV3, [](json& r) { r["terrain"]["water"][0]["level"] = 0.5; }, "invalid water level"},
    {"water level -4", Base::StrikeV3, [](json& r) { r["terrain"]["water"][0]["level"] = -4; }, ""},
    {"water depth 1.5", Base::StrikeV3, [](json& r) { r["terrain"]["water"][0]["depth"] = 1.5; }, "invalid water depth"},
    {"water depth 16", Base::StrikeV3, [](json& r) { r["terrain"]["water"][0]["depth"] = 16; }, ""},
    {"water overlaps water", Base::StrikeV3, [](json& r) { r["terrain"]["water"][1]["bounds"][0] = -121; }, "overlapping water bodies"},
    {"no buildings", Base::SmallV3, [](json& r) { r["plots"][0].erase("buildings"); }, "invalid parcel density"},
    {"buildings 17", Base::SmallV3, [](json& r) { r["plots"][0]["buildings"] = 17; }, "invalid parcel density"},
    {"buildings 2.0", Base::SmallV3, [](json& r) { r["plots"][0]["buildings"] = 2.0; }, "invalid parcel density"},
    {"built over water", Base::StrikeV3, [](json& r) { r["plots"][3]["buildings"] = 1; }, "building parcel overlaps water"},
    {"768 buildings", Base::SmallV3, [](json& r) { r["plots"][0]["buildings"] = 16; addPlots(r, 47, 16); }, ""},
    {"769 buildings", Base::SmallV3, [](json& r) { r["plots"][0]["buildings"] = 16; addPlots(r, 47, 16); addPlots(r, 1, 1); }, "scenery budget exceeded"},
    {"empty strike parcel", Base::StrikeV3, [](json& r) { r["plots"][2]["buildings"] = 0; }, "strike target parcel is empty"},
    {"empty recon parcel", Base::StrikeV3, [](json& r) { r["mission"]["kind"] = "recon"; r["objectives"][0]["kind"] = "recon"; r["objectives"][1]["kind"] = "recon"; r["plots"][2]["buildings"] = 0; }, ""},
    {"no encounters", Base::SmallV3, [](json& r) { r.erase("encounters"); }, "missing encounter controls"},
    {"8 per zone, 8 zones", Base::SmallV3, [](json& r) { r = fixtures::lineRecipeV3(9, 8); r["encounters"]["ground_per_zone"] = 8; }, ""},
    {"9 per zone, 8 zones", Base::SmallV3, [](json& r) { r = fixtures::lineRecipeV3(9, 8); r["encounters"]["ground_per_zone"] = 9; }, "ground encounter budget exceeded"},
    {"12 per zone, 5 zones", Base::SmallV3, [](json& r) { r = fixtures::lineRecipeV3(6, 5); r["encounters"]["ground_per_zone"] = 12; }, ""},
    {"13 per zone", Base::SmallV3, [](json& r) { r["encounters"]["ground_per_zone"] = 13; }, "ground encounter budget exceeded"},
    {"0 per zone", Base::SmallV3, [](json& r) { r["encounters"]["ground_per_zone"] = 0; }, "ground encounter budget exceeded"},
    {"4.0 per zone", Base::SmallV3, [](json& r) { r["encounters"]["ground_per_zone"] = 4.0; }, "ground encounter budget exceeded"},
    {"air 8", Base::SmallV3, [](json& r) { r["encounters"]["air_units"] = 8; }, ""},
    {"air 9", Base::SmallV3, [](json& r) { r["encounters"]["air_units"] = 9; }, "air encounter budget exceeded"},
};

void expectRows(const Row* begin, const Row* end, const std::string& prefix) {
    for (const Row* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->label);
        json recipe = baseRecipe(row->base);
        row->mutate(recipe);
        EXPECT_EQ(verdict(recipe), row->expected.empty() ? "" : prefix + row->expected);
    }
}

TEST(ProceduralRecipeValidation, LayoutMutationsGiveTheirMessages) {
    expectRows(std::begin(kLayoutRows), std::end(kLayoutRows), kRecipe);
}

TEST(ProceduralRecipeValidation, TerrainMutationsGiveTheirMessages) {
    expectRows(std::begin(kTerrainRows), std::end(kTerrainRows), kTerrain);
}

TEST(ProceduralRecipeValidation, TerrainAloneChecksOnlyTheVersion3Sections) {
    json recipe = fixtures::strikeRecipeV3();
    recipe["objectives"][0]["plot"] = 2;  // shared plot: a layout fault only
    EXPECT_NO_THROW(validateProceduralTerrain(recipe));
    recipe["encounters"]["air_units"] = -1;
    EXPECT_THROW(validateProceduralTerrain(recipe), std::runtime_error);
}

}  // namespace
}  // namespace bastion
