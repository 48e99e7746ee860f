#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "contentgen/json_file.h"
#include "contentgen/palette.h"
#include "support/temp_folder.h"
#include "world/internal/mesh_shading.h"
#include "world/internal/model_mesh.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;

json face(json indices, int group, int material, int shade = 128, int bias = 10) {
    return {{"indices", indices}, {"group", group}, {"material", material}, {"shade", shade}, {"bias", bias}};
}

json model(json vertices, json faces, json normals, json lighting = json::array()) {
    return {{"vertices", vertices}, {"faces", faces}, {"normals", normals}, {"lighting", lighting}};
}

// A unit square in the file's xy plane at file depth z (hundredths).
json square(int z) { return {{0, 0, z}, {100, 0, z}, {100, 100, z}, {0, 100, z}}; }

// Every colour-table entry 255, so a channel reads ((255 * s) >> 8) / 255.
json whiteTable() {
    json rows = json::array();
    for (int r = 0; r < 16; ++r) rows.push_back(json(std::vector<int>(16, 255)));
    return {{"red", rows}, {"green", rows}, {"blue", rows}};
}

float channel(int s) { return static_cast<float>((255 * s) >> 8) / 255.0f; }

class ModelMeshTest : public ::testing::Test {
protected:
    ModelMeshTest() {
        missions = {{"schema", 1},
                    {"missions", {{{"night", false}, {"light", {0, 1, 0}}, {"replacements", json::array()}}}},
                    {"cry_table", whiteTable()},
                    {"texture_uv", contentgen::textureCoordinates()}};
    }

    void write(const std::string& name, const json& document, const std::string& folder = "gameplay") {
        contentgen::writeJsonFile(root.path() / folder / (name + ".json"), document);
    }

    SharedMesh build(const std::string& name, float yaw = 0.0f, int objectType = -1, bool shared = false) {
        ModelMeshContext context{{},    world, shared, root.path() / "sb2/shared/gameplay",
                                 world.campaign == 1 ? root.path() / "sb2" : root.path(),
                                 missions["missions"][0], light, missions};
        return buildModelMesh(context, name, yaw, objectType);
    }

    testing_support::TempFolder root{"model-mesh"};
    World world;
    json missions;
    LightVector light{0, 256, 0};
};

TEST_F(ModelMeshTest, ErrorsTable) {
    const json up = {0, 100, 0, 0};
    const json tri = {{0, 0, 0}, {100, 0, 0}, {0, 0, 100}};
    json budgetVertices = json::array();
    for (int i = 0; i < 4096; ++i) budgetVertices.push_back({0, 0, 0});
    json budgetFaces = json::array();
    json budgetNormals = json::array();
    for (int i = 0; i < 4096; ++i) {
        budgetFaces.push_back(face(json::array(), 0, 0));
        budgetNormals.push_back(up);
    }
    json moreVertices = budgetVertices;
    moreVertices.push_back({0, 0, 0});
    json moreFaces = budgetFaces;
    moreFaces.push_back(face(json::array(), 0, 0));
    json moreNormals = budgetNormals;
    moreNormals.push_back(up);

    const struct {
        const char* name;
        json document;
        const char* message;  // nullptr: loads
    } cases[] = {
        {"budget-vertices", model(budgetVertices, json::array(), json::array()), nullptr},
        {"budget-faces", model(tri, budgetFaces, budgetNormals), nullptr},
        {"over-vertices", model(moreVertices, json::array(), json::array()), "Invalid world mesh budget"},
        {"over-faces", model(tri, moreFaces, moreNormals), "Invalid world mesh budget"},
        {"lighting-reference", model(tri, json::array(), json::array(), {{0, 3, 0, 0}}),
         "Invalid vertex lighting reference"},
        {"polygon-index", model(tri, {face({0, 1, 3}, 0, 0)}, {up}), "World polygon index out of bounds"},
        {"negative-index", model(tri, {face({0, 1, -1}, 0, 0)}, {up}), "World polygon index out of bounds"},
        {"gouraud", model(tri, {face({0, 1, 2}, 1, 0)}, {up}, {{0, 0, 0, 0}, {0, 1, 0, 0}}),
         "Missing Gouraud vertex lighting"},
        {"huge-normal", model(tri, {face({0, 1, 2}, 0, 0)}, {{0, 2000000000, 0, 0}}), "Invalid face normal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.name, c.document);
        if (c.message == nullptr) {
            EXPECT_NO_THROW(build(c.name));
            continue;
        }
        try {
            build(c.name);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST_F(ModelMeshTest, TexturedFaceWithMoreCornersThanItsCoordinates) {
    // Texture 0 has four corner pairs; a pentagon needs five.
    json pentagon = {{0, 0, 0}, {100, 0, 0}, {150, 50, 0}, {100, 100, 0}, {0, 100, 0}};
    write("decal", model(pentagon, {face({0, 1, 2, 3, 4}, 2, 0)}, {{0, 0, -100, 0}}));
    EXPECT_THROW(
        {
            try {
                build("decal");
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "Texture vertex count mismatch");
                throw;
            }
        },
        std::runtime_error);
}

TEST_F(ModelMeshTest, MissingFileAndSharedFolder) {
    write("shared-only", model({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, json::array(), json::array()),
          "sb2/shared/gameplay");
    EXPECT_NO_THROW(build("shared-only", 0, -1, true));
    const std::string missing = "Missing decoded gameplay file: " + (root.path() / "gameplay/shared-only.json").string();
    try {
        build("shared-only", 0, -1, false);
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), missing);
    }
    world.campaign = 1;
    EXPECT_THROW(build("shared-only", 0, -1, true), std::runtime_error);
}

TEST_F(ModelMeshTest, CachedDocumentIsReadOnceAndListsAreIndependent) {
    write("tri", model({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}, {face({0, 1, 2}, 0, 0)}, {{0, 0, 100, 0}}));
    ModelMeshContext context{{}, world, false, root.path() / "sb2/shared/gameplay", root.path(),
                             missions["missions"][0], light, missions};
    const SharedMesh first = buildModelMesh(context, "tri", 0.0f, -1);
    std::filesystem::remove(root.path() / "gameplay/tri.json");
    const SharedMesh second = buildModelMesh(context, "tri", 1.0f, -1);
    ASSERT_EQ(first->size(), 3u);
    ASSERT_EQ(second->size(), 3u);
    EXPECT_NE(first.get(), second.get());
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ((*first)[i].position, (*second)[i].position);
    EXPECT_EQ((*first)[1].position, (Vec3{1.0f, 0.0f, -0.0f}));
}

TEST_F(ModelMeshTest, CoplanarFacesAreOffsetPerFace) {
    // Three flat faces on the plane y = 0 facing up, and a twin pair that stays put.
    json vertices = {{0, 0, 0}, {100, 0, 0}, {100, 0, -100}, {0, 0, -100}};
    json faces = {face({0, 1, 2, 3}, 0, 0), face({0, 1, 2, 3}, 0, 0), face({0, 1, 2, 3}, 0, 0)};
    write("stack", model(vertices, faces, {{0, 100, 0, 0}, {0, 100, 0, 0}, {0, 100, 0, 0}}));
    const SharedMesh mesh = build("stack");
    ASSERT_EQ(mesh->size(), 18u);
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        EXPECT_FLOAT_EQ((*mesh)[static_cast<std::size_t>(f * 6)].position.y, 0.003f * static_cast<float>(f));
        EXPECT_EQ((*mesh)[static_cast<std::size_t>(f * 6)].oneSided, 0.0f);
    }
}

TEST_F(ModelMeshTest, TwinFacesAreOneSidedWithWindingAlongTheirNormal) {
    // Two faces on the same corners (listed in different orders), normals
    // opposite; the second is wound against its normal in the file.
    json vertices = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}};
    json faces = {face({0, 1, 2, 3}, 0, 0), face({1, 2, 3, 0}, 0, 0), face({0, 1, 2, 3}, 0, 0)};
    write("sheet", model(vertices, faces, {{0, 0, -100, 0}, {0, 0, 100, 0}, {0, 0, -99, 14}}));
    const SharedMesh mesh = build("sheet");
    ASSERT_EQ(mesh->size(), 18u);
    for (std::size_t t = 0; t < 6; ++t) {
        const Vec3 a = (*mesh)[t * 3].position;
        const Vec3 b = (*mesh)[t * 3 + 1].position;
        const Vec3 c = (*mesh)[t * 3 + 2].position;
        const Vec3 normal = cross(b - a, c - a);
        const bool firstFace = t < 2;
        const bool secondFace = t >= 2 && t < 4;
        if (firstFace) {
            EXPECT_GT(normal.z, 0.0f) << t;  // file -z is world +z
        }
        if (secondFace) {
            EXPECT_LT(normal.z, 0.0f) << t;
        }
        // All three are twins; none is offset.
        EXPECT_EQ((*mesh)[t * 3].oneSided, 1.0f);
        EXPECT_EQ(a.z, -0.0f);
    }
}

TEST_F(ModelMeshTest, OppositeNormalsOnDifferentCornersStayTwoSided) {
    json vertices = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}};
    write("pair", model(vertices, {face({0, 1, 2}, 0, 0), face({0, 2, 3}, 0, 0)}, {{0, 0, -100, 0}, {0, 0, 100, 0}}));
    const SharedMesh mesh = build("pair");
    for (const WorldVertex& v : *mesh) EXPECT_EQ(v.oneSided, 0.0f);
}

TEST_F(ModelMeshTest, ReplacementChainAppliesToFlatFacesOfTheObjectType) {
    missions["missions"][0]["replacements"] = {{5, 0x1000, 0x2000}, {5, 0x2000, 0x3000}, {6, 0x1000, 0x4000}};
    // Give rows 1..3 distinct red entries: row r column 0 reads 10 * r.
    for (int r = 0; r < 16; ++r) missions["cry_table"]["red"][r][0] = 10 * r;
    json tri = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}};
    write("painted", model(tri, {face({0, 1, 2}, 0, 0x1000, 0, 255)}, {{0, 0, -100, 0}}));
    const auto red = [&](int objectType) { return (*build("painted", 0, objectType))[0].colour.x; };
    EXPECT_FLOAT_EQ(red(5), static_cast<float>((30 * 255) >> 8) / 255.0f);
    EXPECT_FLOAT_EQ(red(6), static_cast<float>((40 * 255) >> 8) / 255.0f);
    EXPECT_FLOAT_EQ(red(-1), static_cast<float>((10 * 255) >> 8) / 255.0f);
}

TEST(ShadeOf, Table) {
    const struct {
        std::int32_t d, scale, ambient;
        int night;
        std::int32_t shade;
    } cases[] = {
        {800, 4096, 0, 0, 100}, {-800, 4096, 0, 0, 50}, {800, 4096, 0, 1, 50}, {800, 4096, 20, 1, 60},
        {-7, 4096, 0, 0, 0},    {800, 40960, 0, 0, 255}, {800, 4096, -300, 0, 0}, {0, 4096, 30, 0, 30},
    };
    for (const auto& c : cases) EXPECT_EQ(shadeOf(c.d, c.scale, c.ambient, c.night), c.shade) << c.d << " " << c.night;
}

TEST_F(ModelMeshTest, ShadingByDayAndNightAndForObjectType22) {
    // Normal straight up, light straight up: d = 256 * 100, m = 3200;
    // (128 * 3200) >> 12 = 100, plus the ambient 10.
    json tri = {{0, 0, 0}, {100, 0, 0}, {0, 0, -100}};
    write("lit", model(tri, {face({0, 1, 2}, 0, 0, 128, 10)}, {{0, 100, 0, 0}}));
    EXPECT_FLOAT_EQ((*build("lit"))[0].colour.x, channel(110));
    missions["missions"][0]["night"] = true;
    EXPECT_FLOAT_EQ((*build("lit"))[0].colour.x, channel(50 + 5));
    EXPECT_FLOAT_EQ((*build("lit", 0, 22))[0].colour.y, channel(110));
}

TEST_F(ModelMeshTest, YawTurnsTheLightingNotThePositions) {
    light = {0, 0, 256};
    json tri = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}};
    write("side", model(tri, {face({0, 1, 2}, 0, 0, 128, 10)}, {{100, 0, 0, 0}}));
    const SharedMesh still = build("side", 0.0f);
    const SharedMesh turned = build("side", 3.14159265f / 2);
    EXPECT_FLOAT_EQ((*still)[0].colour.x, channel(10));
    EXPECT_FLOAT_EQ((*turned)[0].colour.x, channel(110));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ((*still)[i].position, (*turned)[i].position);
}

TEST_F(ModelMeshTest, SmoothAndTexturedCorners) {
    // Vertex 0..2 lit by records: normal up (0x0000_0064), scale 128, ambient 10.
    json tri = {{0, 0, 0}, {100, 0, 0}, {0, 0, -100}};
    json lighting = {{100, 0, 128, 10}, {100, 1, 128, 10}, {100, 2, 128, 10}};
    write("smooth", model(tri, {face({0, 1, 2}, 1, 0)}, {{0, 100, 0, 0}}, lighting));
    const SharedMesh smooth = build("smooth");
    for (const WorldVertex& v : *smooth) EXPECT_FLOAT_EQ(v.colour.z, channel(110));

    write("decal", model(square(0), {face({0, 1, 2, 3}, 2, 1)}, {{0, 0, -100, 0}}));
    const SharedMesh decal = build("decal");
    ASSERT_EQ(decal->size(), 6u);
    EXPECT_EQ((*decal)[0].textured, 1.0f);
    EXPECT_EQ((*decal)[0].colour, (Vec3{1, 1, 1}));
    EXPECT_FLOAT_EQ((*decal)[0].u, 0.25f);
    EXPECT_FLOAT_EQ((*decal)[2].v, 0.0f);
}

TEST_F(ModelMeshTest, FaceShadeOfZeroStillTakesTheMaterialLowByte) {
    json tri = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}};
    write("dark", model(tri, {face({0, 1, 2}, 0, 0x40, 0, 0)}, {{0, 0, -100, 0}}));
    EXPECT_FLOAT_EQ((*build("dark"))[0].colour.x, channel(0x40));
}

TEST_F(ModelMeshTest, TexturedFaceIsLiftedOffAFlatPlaneJustInFront) {
    // A flat wall at world z = 0 facing +z (file normal -z), a decal 0.1 behind
    // it and another 0.13 behind.
    json vertices = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0},
                     {0, 0, 10}, {100, 0, 10}, {100, 100, 10}, {0, 100, 10},
                     {0, 0, 13}, {100, 0, 13}, {100, 100, 13}, {0, 100, 13}};
    json faces = {face({0, 1, 2, 3}, 0, 0), face({4, 5, 6, 7}, 2, 0), face({8, 9, 10, 11}, 2, 0)};
    write("wall", model(vertices, faces, {{0, 0, -100, 0}, {0, 0, -100, 0}, {0, 0, -100, 0}}));
    const SharedMesh mesh = build("wall");
    ASSERT_EQ(mesh->size(), 18u);
    EXPECT_NEAR((*mesh)[6].position.z, 0.004f, 1e-6f);
    EXPECT_FLOAT_EQ((*mesh)[12].position.z, -0.13f);
}

}  // namespace
}  // namespace bastion
