#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "render/walker_rig_read.h"
#include "support/refusal.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::refusal;

json rigPart(int parent, const char* role, json ranges) {
    return {{"parent", parent}, {"role", role},          {"pivot", {0, 1, 0}}, {"low", {-1, 0, -1}},
            {"high", {1, 2, 1}}, {"faces", json::array({0})}, {"ranges", ranges}};
}

// Two parts over nine vertices: the torso owns 6..8, the hip 0..5.
json rigDocument() {
    json rig = {{"floor", -0.5},
                {"mesh_vertices", 9},
                {"parts", {rigPart(-1, "torso", {{6, 3}}), rigPart(0, "left-hip", {{0, 3}, {3, 3}})}}};
    return {{"schema", 1}, {"rigs", {{"walker", rig}}}};
}

TEST(WalkerRigFile, PartsRangesAndSpans) {
    json document = rigDocument();
    document["rigs"]["walker"]["parts"][1]["arm"] = 1;
    document["rigs"]["walker"]["parts"][1]["faces"] = nullptr;
    const std::map<std::string, ModelRig> rigs = readWalkerRigs(document);
    const ModelRig& rig = rigs.at("walker");
    EXPECT_EQ(rig.floor, -0.5f);
    EXPECT_EQ(rig.meshVertices, 9);
    ASSERT_EQ(rig.parts.size(), 2u);
    EXPECT_EQ(rig.parts[0].role, 1);
    EXPECT_EQ(rig.parts[0].arm, -1);
    EXPECT_FALSE(rig.parts[0].noFaces);
    EXPECT_EQ(rig.parts[1].role, 2);
    EXPECT_EQ(rig.parts[1].parent, 0);
    EXPECT_EQ(rig.parts[1].arm, 1);
    EXPECT_TRUE(rig.parts[1].noFaces);
    EXPECT_EQ(rig.spans, (std::vector<ModelRig::Run>{{0, 3}, {3, 6}}));

    // The mesh put in part order: the torso's run first, then the hip's two.
    const std::vector<int> mesh = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(partOrder(rig, mesh), (std::vector<int>{6, 7, 8, 0, 1, 2, 3, 4, 5}));
}

TEST(WalkerRigFile, RefusalsOfBrokenRigs) {
    struct Case {
        const char* name;
        std::function<void(json& rig)> change;
        std::string message;
    };
    const auto part = [](json& rig, int i) -> json& { return rig["parts"][i]; };
    const Case cases[] = {
        {"33 parts", [](json& r) { r["parts"] = std::vector<json>(33, r["parts"][0]); }, "Invalid walker animation budget"},
        {"2 vertices", [](json& r) { r["mesh_vertices"] = 2; }, "Invalid walker animation budget"},
        {"32769 vertices", [](json& r) { r["mesh_vertices"] = 32769; }, "Invalid walker animation budget"},
        {"floor beyond float", [](json& r) { r["floor"] = 1e300; }, "Invalid walker animation budget"},
        {"pivot 500", [&](json& r) { part(r, 0)["pivot"] = {500, -500, 0}; }, "accepted"},
        {"pivot 500.5", [&](json& r) { part(r, 0)["pivot"][2] = 500.5; }, "Invalid walker pivot/bounds"},
        {"high 501", [&](json& r) { part(r, 1)["high"][0] = 501; }, "Invalid walker pivot/bounds"},
        {"inverted", [&](json& r) { part(r, 1)["high"] = {1, -1, 1}; }, "Inverted walker bounds"},
        {"role", [&](json& r) { part(r, 1)["role"] = "tail"; }, "Invalid walker joint"},
        {"role not text", [&](json& r) { part(r, 1)["role"] = 3; }, "json"},
        {"own parent", [&](json& r) { part(r, 1)["parent"] = 1; }, "Invalid walker parent"},
        {"first names itself", [&](json& r) { part(r, 0)["parent"] = 0; }, "Invalid walker parent"},
        {"parent -2", [&](json& r) { part(r, 1)["parent"] = -2; }, "Invalid walker parent"},
        {"fractional parent", [&](json& r) { part(r, 1)["parent"] = 0.9; }, "accepted"},
        {"arm 2", [&](json& r) { part(r, 1)["arm"] = 2; }, "Invalid walker parent"},
        {"range of 4", [&](json& r) { part(r, 0)["ranges"] = {{6, 4}}; }, "Invalid animated face range"},
        {"negative first", [&](json& r) { part(r, 0)["ranges"] = {{-3, 3}}; }, "Invalid animated face range"},
        {"past the mesh", [&](json& r) { part(r, 0)["ranges"] = {{9, 3}}; }, "Invalid animated face range"},
        {"overlap", [&](json& r) { part(r, 0)["ranges"] = {{3, 3}}; }, "Overlapping animated faces"},
        {"short", [&](json& r) { part(r, 0)["ranges"] = json::array(); }, "Incomplete walker animation coverage"},
        {"no parts", [](json& r) { r["parts"] = json::array(); }, "Incomplete walker animation coverage"},
        {"range not an array", [&](json& r) { part(r, 0)["ranges"] = {6}; }, "json"},
    };
    for (const Case& c : cases) {
        json document = rigDocument();
        c.change(document["rigs"]["walker"]);
        EXPECT_EQ(refusal([&] { readWalkerRigs(document); }), c.message) << c.name;
    }
    json document = rigDocument();
    document["schema"] = 2;
    EXPECT_EQ(refusal([&] { readWalkerRigs(document); }), "Invalid walker animation metadata");
    document["schema"] = 1.0;
    EXPECT_EQ(refusal([&] { readWalkerRigs(document); }), "accepted");
}

// A walker file of three faces (3, 4 and 5 corners) whose 16 segments give
// segment 0 the first face, segment 1 the other two, the rest nothing.
json walkerFile() {
    json segments = json::array();
    for (int i = 0; i < 16; ++i) segments.push_back({{"vertices", nullptr}, {"pivot_records", nullptr}, {"faces", nullptr}});
    segments[0] = {{"vertices", {0, 1, 2}}, {"pivot_records", {{9, 0, 2}}}, {"faces", {0}}};
    segments[1] = {{"vertices", {3, 4}}, {"pivot_records", json::array()}, {"faces", {2, 1}}};
    return {{"vertices", {{0, -50, 0}, {100, 0, 0}, {0, 100, 200}, {300, 10, 0}, {0, 0, -400}}},
            {"faces", {{{"indices", {0, 1, 2}}}, {{"indices", {0, 1, 2, 3}}}, {{"indices", {0, 1, 2, 3, 4}}}}},
            {"segments", segments}};
}

TEST(WalkerRigFile, RigMadeFromTheWalkersSegments) {
    const json document = synthesizeWalkerRig(walkerFile());
    const std::map<std::string, ModelRig> rigs = readWalkerRigs(document);
    const ModelRig& rig = rigs.at("stormbastion");
    EXPECT_EQ(rig.meshVertices, 18);
    EXPECT_FLOAT_EQ(rig.floor, -0.5f);
    ASSERT_EQ(rig.parts.size(), 16u);
    EXPECT_EQ(rig.ranges[0], (std::vector<ModelRig::Run>{{0, 3}}));
    EXPECT_EQ(rig.ranges[1], (std::vector<ModelRig::Run>{{9, 9}, {3, 6}}));
    EXPECT_EQ(rig.spans[1], (ModelRig::Run{3, 15}));
    // Bounds and pivots in metres with z mirrored.
    EXPECT_EQ(rig.parts[0].low, (Vec3{0, -0.5f, -2}));
    EXPECT_EQ(rig.parts[0].high, (Vec3{1, 1, 0}));
    EXPECT_EQ(rig.parts[0].pivot, (Vec3{0, 0.25f, -1}));
    EXPECT_EQ(rig.parts[1].low, (Vec3{0, 0, 0}));
    EXPECT_EQ(rig.parts[1].high, (Vec3{3, 0.01f * 10.0f, 4}));
    EXPECT_EQ(rig.parts[1].pivot, (Vec3{}));
    EXPECT_TRUE(rig.parts[5].noFaces);
    // The fixed hierarchy: legs under nothing, arms under the torso.
    const int parents[16] = {-1, -1, 1, 2, -1, 4, 5, 0, 7, 8, 9, 0, 11, 12, 13, 0};
    const int arms[16] = {-1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 1, 1, 1, 1, -1};
    const int roles[16] = {1, 5, 6, 7, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(rig.parts[i].parent, parents[i]) << i;
        EXPECT_EQ(rig.parts[i].arm, arms[i]) << i;
        EXPECT_EQ(rig.parts[i].role, roles[i]) << i;
    }
}

TEST(WalkerRigFile, BrokenSegmentsAreRefused) {
    json fifteen = walkerFile();
    fifteen["segments"].erase(15);
    EXPECT_EQ(refusal([&] { synthesizeWalkerRig(fifteen); }), "Missing player animation membership");
    json notArray = walkerFile();
    notArray["segments"] = {{"a", 1}};
    EXPECT_EQ(refusal([&] { synthesizeWalkerRig(notArray); }), "Missing player animation membership");
    json farFace = walkerFile();
    farFace["segments"][3]["faces"] = {3};
    EXPECT_THROW(synthesizeWalkerRig(farFace), std::out_of_range);
    json farVertex = walkerFile();
    farVertex["segments"][3]["vertices"] = {5};
    EXPECT_EQ(refusal([&] { synthesizeWalkerRig(farVertex); }), "json");
}

}  // namespace
}  // namespace bastion
