#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "render/internal/arm_rig_read.h"
#include "render/internal/model_file.h"
#include "render/internal/model_manifest.h"
#include "support/refusal.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::refusal;

json face(std::vector<int> indices, json colour = {255, 0, 51}) {
    return {{"indices", indices}, {"color", colour}};
}

json modelFile(json vertices, json faces) { return {{"vertices", vertices}, {"faces", faces}}; }

// One triangle that stands in the plane z = 0 of the stored axes.
json triangle() { return modelFile({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, {face({0, 1, 2})}); }

struct VertexView {
    Vec3 position, normal, colour;
};
VertexView vertexAt(const ModelVertices& model, std::size_t i) {
    const float* f = &model.floats[i * kModelVertexFloats];
    return {{f[0], f[1], f[2]}, {f[3], f[4], f[5]}, {f[6], f[7], f[8]}};
}

void expectNear(Vec3 actual, Vec3 expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

ModelVertices build(const json& file, ModelClass kind, float yaw = 0.0f, Vec3 pivot = {}) {
    return buildModelVertices(file, {kind, yaw}, pivot);
}

// Where one stored vertex lands in model space, for each class: the stored
// vertex is the first corner of a triangle whose other corners set the box.
TEST(ModelFile, ClassesBringStoredVerticesIntoModelSpace) {
    const json corner = modelFile({{100, 200, 300}, {0, 0, 0}, {0, 50, 100}}, {face({0, 1, 2})});
    const json unitHeight = modelFile({{100, 50, 300}, {0, 0, 0}, {0, 0, 100}}, {face({0, 1, 2})});
    const json flat = modelFile({{100, 0.5, 300}, {0, 0, 0}, {0, 0, 100}}, {face({0, 1, 2})});
    const json held = modelFile({{100, 0, 0}, {0, 0, 0}, {0, 100, 0}}, {face({0, 1, 2})});
    struct Case {
        const char* name;
        json file;
        ModelClass kind;
        float yaw;
        Vec3 pivot;
        Vec3 expected;
    };
    const Case cases[] = {
        {"plain", corner, ModelClass::Plain, 0, {}, {1, 2, 3}},
        {"walker mirrors z", corner, ModelClass::PlayerWalker, 0, {}, {1, 2, -3}},
        {"held swaps y and z, mirrors x", corner, ModelClass::HeldAligned, 0, {}, {-1, 3, 2}},
        {"held about its pivot", corner, ModelClass::HeldAligned, 0, {100, 100, 100}, {0, 2, 1}},
        {"held turned a quarter", held, ModelClass::HeldAligned, 1.57079637f, {}, {0, 0, 1}},
        // Box (0..100, 0..200, 0..300): centred on (50, 100, 150).
        {"shoulder centred", corner, ModelClass::Shoulder, 0, {}, {0.5f, 1, 1.5f}},
        // Top of a 50-high box at z' 0; the stored z axis becomes -y.
        {"segment top", unitHeight, ModelClass::ArmSegment, 0, {}, {0.5f, -1.5f, 0}},
        // A box 0.5 high is divided by 1, not 0.5.
        {"segment of small height", flat, ModelClass::ArmSegment, 0, {}, {0.5f, -1.5f, 0}},
    };
    for (const Case& c : cases) {
        const ModelVertices model = build(c.file, c.kind, c.yaw, c.pivot);
        ASSERT_EQ(model.count(), 3) << c.name;
        expectNear(vertexAt(model, 0).position, c.expected, c.name);
    }
    // Bottom of the 50-high segment at z' -1.
    const ModelVertices segment = build(unitHeight, ModelClass::ArmSegment);
    EXPECT_FLOAT_EQ(vertexAt(segment, 1).position.z, -1.0f);
    EXPECT_FLOAT_EQ(segment.min.z, -1.0f);
    EXPECT_FLOAT_EQ(segment.max.z, 0.0f);
}

TEST(ModelFile, BoundsCoverUnusedVerticesAndColoursAreLinear) {
    const json file = modelFile({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {-500, 900, 40}},
                                {face({0, 1, 2}, {255, 0, 127.5})});
    const ModelVertices model = build(file, ModelClass::Plain);
    expectNear(model.min, {-5, 0, 0}, "min");
    expectNear(model.max, {1, 9, 0.4f}, "max");
    const VertexView v = vertexAt(model, 2);
    expectNear(v.colour, {1, 0, std::pow(0.5f, 2.2f)}, "colour");
    expectNear(v.normal, {0, 0, 1}, "normal");
    EXPECT_EQ(model.floats[9], 0.0f);
}

TEST(ModelFile, FiveCornerFaceFansFromItsFirstCorner) {
    const json file = modelFile({{0, 0, 0}, {100, 0, 0}, {200, 100, 0}, {100, 200, 0}, {0, 100, 0}},
                                {face({0, 1, 2, 3, 4}, {0, 255, 0})});
    const ModelVertices model = build(file, ModelClass::Plain);
    ASSERT_EQ(model.count(), 9);
    const std::vector<Vec3> expected = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {0, 0, 0}, {2, 1, 0},
                                        {1, 2, 0}, {0, 0, 0}, {1, 2, 0}, {0, 1, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expectNear(vertexAt(model, i).position, expected[i], "vertex " + std::to_string(i));
        expectNear(vertexAt(model, i).colour, {0, 1, 0}, "colour");
    }
}

// Collinear corners make a degenerate triangle: the player walker keeps it
// (its faces map to fixed vertex runs), every other class drops it.
TEST(ModelFile, DegenerateTrianglesKeptOnlyByThePlayerWalker) {
    const json line = modelFile({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}, {0, 100, 0}},
                                {face({0, 1, 2}), face({0, 1, 3})});
    const ModelVertices plain = build(line, ModelClass::Plain);
    EXPECT_EQ(plain.count(), 3);
    const ModelVertices walker = build(line, ModelClass::PlayerWalker);
    ASSERT_EQ(walker.count(), 6);
    expectNear(vertexAt(walker, 0).normal, {0, 1, 0}, "degenerate normal");

    const json onlyLine = modelFile({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}}, {face({0, 1, 2})});
    EXPECT_EQ(refusal([&] { build(onlyLine, ModelClass::Plain); }), "Original model has no triangles");
    // A cross product between 1e-6 and 1e-5 long gets the fallback normal.
    const json sliver = modelFile({{0, 0, 0}, {0.3, 0, 0}, {0, 0.3, 0}}, {face({0, 1, 2})});
    expectNear(vertexAt(build(sliver, ModelClass::Plain), 0).normal, {0, 0, -1}, "sliver normal");
}

TEST(ModelFile, RefusalsOfBrokenFiles) {
    struct Case {
        const char* name;
        std::function<void(json&)> breakIt;
        std::string message;
    };
    const auto many = [](std::size_t n) { return json(std::vector<json>(n, json{0, 0, 0})); };
    const Case cases[] = {
        {"4097 vertices", [&](json& f) { f["vertices"] = many(4097); }, "Original model exceeds budget"},
        {"4097 faces", [](json& f) { f["faces"] = std::vector<json>(4097, face({0, 1, 2})); },
         "Original model exceeds budget"},
        {"2 vertices", [](json& f) { f["vertices"].erase(2); }, "Empty model"},
        {"vertex beyond 32768", [](json& f) { f["vertices"][1][2] = 32768.5; }, "Invalid model vertex"},
        {"vertex at -32768", [](json& f) { f["vertices"][1][2] = -32768; }, "accepted"},
        {"vertex beyond float", [](json& f) { f["vertices"][1][0] = 1e300; }, "Invalid model vertex"},
        {"two indices", [](json& f) { f["faces"][0]["indices"] = {0, 1}; }, "Invalid original polygon size"},
        {"33 indices", [](json& f) { f["faces"][0]["indices"] = std::vector<int>(33, 0); },
         "Invalid original polygon size"},
        {"index -1", [](json& f) { f["faces"][0]["indices"][2] = -1; }, "Invalid original polygon index"},
        {"index 3", [](json& f) { f["faces"][0]["indices"][2] = 3; }, "Invalid original polygon index"},
        {"channel 255.5", [](json& f) { f["faces"][0]["color"][1] = 255.5; }, "Invalid original material"},
        {"channel -1", [](json& f) { f["faces"][0]["color"][2] = -1; }, "Invalid original material"},
        {"channel 255", [](json& f) { f["faces"][0]["color"] = {255, 255, 255}; }, "accepted"},
        {"no faces", [](json& f) { f["faces"] = json::array(); }, "Original model has no triangles"},
        {"indices not an array", [](json& f) { f["faces"][0]["indices"] = 3; }, "json"},
        {"short colour", [](json& f) { f["faces"][0]["color"] = {1, 2}; }, "json"},
        {"no vertices", [](json& f) { f.erase("vertices"); }, "json"},
    };
    for (const Case& c : cases) {
        json file = triangle();
        c.breakIt(file);
        EXPECT_EQ(refusal([&] { build(file, ModelClass::Plain); }), c.message) << c.name;
    }
}

HeldPlacement heldTable() {
    HeldPlacement held;
    held.alignmentYaw = {{"mounted-shotgun-a", 0.5f}, {"mounted-rifle-a", 0.25f}, {"shotgun", 2.0f}};
    return held;
}

TEST(ModelFile, ClassFollowsTheNameInRuleOrder) {
    struct Case {
        const char* name;
        ModelClass kind;
        float yaw;
    };
    const Case cases[] = {
        {"mounted-rifle-a", ModelClass::HeldAligned, 0.25f},
        // The shotgun takes its mounted variant's yaw, not its own entry's.
        {"shotgun", ModelClass::HeldAligned, 0.5f},
        {"left-upper-arm", ModelClass::ArmSegment, 0},
        {"my-forearm-2", ModelClass::ArmSegment, 0},
        {"right-shoulder", ModelClass::Shoulder, 0},
        {"shoulder", ModelClass::Plain, 0},
        {"stormbastion", ModelClass::PlayerWalker, 0},
        {"stormbastion-sb2", ModelClass::Plain, 0},
        {"rifle", ModelClass::Plain, 0},
    };
    for (const Case& c : cases) {
        const ModelPlacement placement = classifyModel(c.name, heldTable());
        EXPECT_EQ(placement.kind, c.kind) << c.name;
        EXPECT_EQ(placement.yaw, c.yaw) << c.name;
    }
    EXPECT_EQ(refusal([] { classifyModel("heavy-machinegun", heldTable()); }),
              "Missing held-model alignment: mounted-heavy-machinegun-a");
}

json rigFile() {
    json held = json::array();
    for (int i = 0; i < 5; ++i)
        held.push_back({{"model", "held-" + std::to_string(i)}, {"alignment_yaw", 0.1 * i}, {"muzzle", {0, 0, -i}}});
    return {{"schema", 1},     {"tracking_scale", 6.0}, {"upper_length", 2.1}, {"fore_length", 1.8},
            {"held", held},    {"source_pivot", {1, 2, 3}}};
}

TEST(ArmRigFile, ValuesReachTheRigAndThePlacement) {
    json file = rigFile();
    file["held"][3]["model"] = "held-1";  // a repeated model keeps the first yaw
    file["held"][4]["muzzle"] = {6, 8, 0, 99};
    ArmRig rig;
    const HeldPlacement held = readArmRig(file, rig);
    EXPECT_FLOAT_EQ(rig.trackingScale, 6.0f);
    EXPECT_FLOAT_EQ(rig.upperLength, 2.1f);
    EXPECT_FLOAT_EQ(rig.foreLength, 1.8f);
    EXPECT_FLOAT_EQ(rig.muzzle[2].z, -2.0f);
    EXPECT_FLOAT_EQ(rig.muzzle[4].y, 8.0f);
    EXPECT_EQ(held.alignmentYaw.size(), 4u);
    EXPECT_FLOAT_EQ(held.alignmentYaw.at("held-1"), 0.1f);
    EXPECT_FLOAT_EQ(held.sourcePivot.z, 3.0f);
}

TEST(ArmRigFile, RefusalsAndLimits) {
    struct Case {
        const char* name;
        std::function<void(json&)> change;
        std::string message;
    };
    const Case cases[] = {
        {"schema 1.0", [](json& f) { f["schema"] = 1.0; }, "accepted"},
        {"schema 2", [](json& f) { f["schema"] = 2; }, "Invalid hand rig"},
        {"four held", [](json& f) { f["held"].erase(4); }, "Invalid hand rig"},
        {"six held", [](json& f) { f["held"].push_back(f["held"][0]); }, "Invalid hand rig"},
        {"scale 0.1", [](json& f) { f["tracking_scale"] = 0.1; }, "accepted"},
        {"scale 10", [](json& f) { f["upper_length"] = 10; }, "accepted"},
        {"scale 0.09", [](json& f) { f["tracking_scale"] = 0.09; }, "Invalid arm scale"},
        {"scale 10.5", [](json& f) { f["fore_length"] = 10.5; }, "Invalid arm scale"},
        {"yaw pi", [](json& f) { f["held"][2]["alignment_yaw"] = 3.14159274; }, "accepted"},
        {"yaw 3.2", [](json& f) { f["held"][2]["alignment_yaw"] = -3.2; }, "Invalid held-model alignment"},
        {"pivot 4096", [](json& f) { f["source_pivot"] = {4096, -4096, 0}; }, "accepted"},
        {"pivot 4096.5", [](json& f) { f["source_pivot"][1] = 4096.5; }, "Invalid hand pivot"},
        {"muzzle length 10", [](json& f) { f["held"][1]["muzzle"] = {6, 8, 0}; }, "accepted"},
        {"muzzle beyond 10", [](json& f) { f["held"][1]["muzzle"] = {6, 8, 0.1}; }, "Invalid muzzle"},
        {"muzzle beyond float", [](json& f) { f["held"][0]["muzzle"] = {1e39, 0, 0}; }, "Invalid muzzle"},
        {"short pivot", [](json& f) { f["source_pivot"] = {1, 2}; }, "json"},
        {"no model", [](json& f) { f["held"][0].erase("model"); }, "json"},
    };
    for (const Case& c : cases) {
        json file = rigFile();
        c.change(file);
        ArmRig rig;
        EXPECT_EQ(refusal([&] { readArmRig(file, rig); }), c.message) << c.name;
    }
}

json manifestFile() {
    return {{"schema", 1}, {"source_block", 4}, {"pickup_types", std::vector<int>(32, 4)},
            {"models", {{"b", {{"file", "b.json"}}}, {"a", {{"file", "a.json"}}}}}};
}

TEST(ModelManifest, PickupTypesAndFiles) {
    json file = manifestFile();
    file["pickup_types"][31] = 2;
    file["pickup_types"].push_back(9);  // a 33rd entry is ignored
    const ModelManifest manifest = readModelManifest(file);
    EXPECT_EQ(manifest.pickupTypes[31], 2u);
    // The model list is read entry by entry as the models load, after the rig.
    for (json models : {json(nullptr), json::array(), json({{"a", json::object()}})}) {
        json later = manifestFile();
        later["models"] = models;
        EXPECT_EQ(refusal([&] { readModelManifest(later); }), "accepted") << models;
    }
    const struct {
        json entry;
        std::string file;
    } entries[] = {
        {{{"file", "a.json"}}, "a.json"},
        {{{"file", "sub/a.json"}}, "Invalid model filename"},
        {{{"file", ".."}}, "Invalid model filename"},
        {json::object(), "json"},
        {{{"file", 3}}, "json"},
    };
    for (const auto& e : entries) {
        std::string got;
        const std::string refused = refusal([&] { got = modelFileName(e.entry); });
        EXPECT_EQ(refused == "accepted" ? got : refused, e.file) << e.entry;
    }

    struct Case {
        const char* name;
        std::function<void(json&)> change;
        std::string message;
    };
    const Case cases[] = {
        {"schema 1.0", [](json& f) { f["schema"] = 1.0; }, "accepted"},
        {"schema 2", [](json& f) { f["schema"] = 2; }, "Invalid original model manifest"},
        {"block 3", [](json& f) { f["source_block"] = 3; }, "Invalid original model manifest"},
        {"pickup 5", [](json& f) { f["pickup_types"][7] = 5; }, "Invalid pickup model mapping"},
        {"pickup -1", [](json& f) { f["pickup_types"][7] = -1; }, "Invalid pickup model mapping"},
        {"31 pickups", [](json& f) { f["pickup_types"].erase(31); }, "json"},
    };
    for (const Case& c : cases) {
        json changed = manifestFile();
        c.change(changed);
        EXPECT_EQ(refusal([&] { readModelManifest(changed); }), c.message) << c.name;
    }
    for (const char* file : {"a.json", "stormbastion.json"}) EXPECT_TRUE(bareFileName(file)) << file;
    for (const char* file : {"", ".", "..", "sub/a.json", "/a.json", "../models/a.json", "a/"})
        EXPECT_FALSE(bareFileName(file)) << file;
}

}  // namespace
}  // namespace bastion
