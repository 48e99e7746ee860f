// The model and rig files through the program: each refusal ends start-up
// with the loader's message as the fatal line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_fixture.h"
#include "render/walker_rig_read.h"
#include "support/demo_content.h"

namespace bastion {
namespace {

using nlohmann::json;

class ProgramModels : public ProgramTest {
protected:
    std::filesystem::path retailOf(std::size_t run) const { return folder / ("retail" + std::to_string(run)); }

    struct Case {
        std::string file;  // in "models"
        std::function<void(json&)> change;
        std::string message;
    };

    // Runs one broken copy of the demo content per case, all at once.
    void expectRefusals(const std::vector<Case>& cases) {
        std::vector<std::vector<std::string>> argSets;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            copyDemoToRetail(retailOf(i));
            const std::filesystem::path path = retailOf(i) / "models" / cases[i].file;
            json document;
            if (std::ifstream stream(path); stream) document = json::parse(stream);
            cases[i].change(document);
            if (document.is_discarded()) {
                std::filesystem::remove(path);
            } else {
                write(path, document.dump());
            }
            argSets.push_back({"--retail", retailOf(i).string(), "--fixture", "--frames", "1"});
        }
        const std::vector<ProgramRun> results = runWindowedTogether(argSets);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            EXPECT_EQ(results[i].exitCode, 1) << cases[i].message;
            EXPECT_EQ(results[i].err, fatal(cases[i].message));
            EXPECT_EQ(results[i].out, kCockpitLine);
        }
    }
};

void remove(json& document) { document = json(json::value_t::discarded); }

TEST_F(ProgramModels, BrokenModelFilesAreFatal) {
    expectRefusals({
        {"manifest.json", remove, "Decode original models with tools/decode_models first"},
        {"manifest.json", [](json& m) { m["schema"] = 2; }, "Invalid original model manifest"},
        {"manifest.json", [](json& m) { m["source_block"] = 5; }, "Invalid original model manifest"},
        {"manifest.json", [](json& m) { m["pickup_types"][4] = 5; }, "Invalid pickup model mapping"},
        {"manifest.json", [](json& m) { m["models"]["rifle"]["file"] = "../models/rifle.json"; },
         "Invalid model filename"},
        {"rig.json", [](json& r) { r["held"].erase(4); }, "Invalid hand rig"},
        {"rig.json", [](json& r) { r["upper_length"] = 10.5; }, "Invalid arm scale"},
        {"rig.json", [](json& r) { r["held"][3]["alignment_yaw"] = 3.2; }, "Invalid held-model alignment"},
        {"rig.json", [](json& r) { r["source_pivot"][0] = 4096.5; }, "Invalid hand pivot"},
        {"rig.json", [](json& r) { r["held"][1]["muzzle"] = {6, 8, 0.1}; }, "Invalid muzzle"},
        {"rig.json", [](json& r) { r["held"][3]["model"] = "held-elsewhere"; },
         "Missing held-model alignment: mounted-shotgun-a"},
        {"rifle.json", [](json& m) { m["vertices"] = std::vector<json>(4097, json{0, 0, 0}); },
         "Original model exceeds budget"},
        {"rifle.json", [](json& m) { m["vertices"][0][1] = -40000; }, "Invalid model vertex"},
        {"rifle.json", [](json& m) { m["vertices"] = {{0, 0, 0}, {1, 0, 0}}; }, "Empty model"},
        {"rifle.json", [](json& m) { m["faces"][0]["indices"] = {0, 1}; }, "Invalid original polygon size"},
        {"rifle.json", [](json& m) { m["faces"][0]["indices"][0] = 100000; }, "Invalid original polygon index"},
        {"rifle.json", [](json& m) { m["faces"][0]["color"][0] = 256; }, "Invalid original material"},
        {"rifle.json", [](json& m) { m["faces"] = json::array(); }, "Original model has no triangles"},
    });
}

// The rig file that the demo's player walker would get synthesized, written
// out as "animation-rigs.json" and then broken by `change`.
std::function<void(json&)> rigsWith(std::function<void(json&)> change) {
    return [change](json& document) {
        std::ifstream walker(testing_support::demoContent() / "models" / "stormbastion.json");
        document = synthesizeWalkerRig(json::parse(walker));
        change(document["rigs"]["stormbastion"]);
    };
}

// Shortens the rig by its last three vertices: a sound rig, but one vertex
// triangle short of the player walker's mesh.
void dropLastTriangle(json& rig) {
    const std::int64_t total = rig["mesh_vertices"].get<std::int64_t>();
    for (json& part : rig["parts"]) {
        for (json& run : part["ranges"]) {
            if (run[0].get<std::int64_t>() + run[1].get<std::int64_t>() == total) run[1] = run[1].get<int>() - 3;
        }
    }
    rig["mesh_vertices"] = total - 3;
}

TEST_F(ProgramModels, BrokenWalkerRigsAreFatal) {
    const std::string rigs = "animation-rigs.json";
    expectRefusals({
        {rigs, [](json& d) { rigsWith([](json&) {})(d), d["schema"] = 2; }, "Invalid walker animation metadata"},
        {rigs, rigsWith([](json& r) { r["mesh_vertices"] = 2; }), "Invalid walker animation budget"},
        {rigs, rigsWith([](json& r) { r["parts"][0]["pivot"][1] = 600; }), "Invalid walker pivot/bounds"},
        {rigs, rigsWith([](json& r) { std::swap(r["parts"][0]["low"], r["parts"][0]["high"]); }),
         "Inverted walker bounds"},
        {rigs, rigsWith([](json& r) { r["parts"][0]["role"] = "tail"; }), "Invalid walker joint"},
        {rigs, rigsWith([](json& r) { r["parts"][1]["parent"] = 1; }), "Invalid walker parent"},
        {rigs, rigsWith([](json& r) { r["parts"][0]["ranges"][0][0] = 1; }), "Invalid animated face range"},
        {rigs, rigsWith([](json& r) { r["parts"][1]["ranges"] = r["parts"][0]["ranges"]; }),
         "Overlapping animated faces"},
        {rigs, rigsWith([](json& r) { r["parts"][0]["ranges"] = json::array(); }),
         "Incomplete walker animation coverage"},
        {rigs, rigsWith(dropLastTriangle), "Player animation/model mismatch"},
        // Without a rig file the rig comes from the walker's own segments.
        {"stormbastion.json", [](json& walker) { walker["segments"].erase(15); }, "Missing player animation membership"},
    });
}

}  // namespace
}  // namespace bastion
