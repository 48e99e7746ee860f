#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "contentgen/cockpit_model.h"
#include "render/cockpit_files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using contentgen::CockpitModel;
using contentgen::CockpitVertex;
using nlohmann::json;

// The demo cockpit, changed by a case and written to a fresh folder.
json& lampOf(CockpitModel& model, int index) {
    int seen = 0;
    for (json& object : model.manifest["objects"]) {
        if (object["object"].get<std::string>().rfind("Status lamp lens", 0) == 0 && seen++ == index) return object;
    }
    throw std::logic_error("no such lamp");
}

class CockpitFiles : public ::testing::Test {
protected:
    void write() const { contentgen::writeCockpit(folder.path(), model); }

    void writeMeshBytes(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(folder.path() / "cockpit.mesh", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // The message of the first failing check of the mesh and its manifest,
    // then of the layout.
    std::string failure() const {
        try {
            readCockpitMesh(folder.path());
            readCockpitLayout(folder.path());
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "loaded";
    }

    // Three vertices of one small body triangle whose heights are `y`.
    static std::vector<CockpitVertex> triangle(float y) {
        return {{{0, y, -1}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, 0}, {{1, y, -1}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, 0},
                {{0, y, -2}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, 0}};
    }

    testing_support::TempFolder folder{"cockpit"};
    CockpitModel model = contentgen::demoCockpit();
};

TEST_F(CockpitFiles, DemoCockpitSplitsIntoBodyGroupsAndLamps) {
    write();
    const CockpitMesh mesh = readCockpitMesh(folder.path());
    EXPECT_EQ(mesh.fileVertices, model.vertices.size());
    EXPECT_GT(mesh.lowerVertices, 0);
    EXPECT_GT(mesh.bodyVertices, mesh.lowerVertices);
    EXPECT_EQ(mesh.lowerVertices % 3, 0);
    EXPECT_EQ(mesh.bodyVertices % 3, 0);
    int next = mesh.bodyVertices;
    for (std::size_t lamp = 0; lamp < mesh.lamps.size(); ++lamp) {
        const VertexRange& range = mesh.lamps[lamp];
        EXPECT_EQ(range.first, next);
        EXPECT_EQ(range.count, lampOf(model, static_cast<int>(lamp))["vertex_count"].get<int>());
        EXPECT_GT(range.count, 0);
        next += range.count;
    }
    EXPECT_EQ(mesh.vertices.size(), static_cast<std::size_t>(next) * kCockpitVertexFloats);
    // Every upper-group triangle stands above 0.45 on average, every lower one not.
    for (int v = 0; v < mesh.bodyVertices; v += 3) {
        float sum = 0;
        for (int k = 0; k < 3; ++k) sum += mesh.vertices[static_cast<std::size_t>(v + k) * kCockpitVertexFloats + 1];
        EXPECT_EQ(sum / 3.0f > 0.45f, v >= mesh.lowerVertices) << "vertex " << v;
    }

    const CockpitLayout layout = readCockpitLayout(folder.path());
    for (int mount = 0; mount < 6; ++mount) {
        const json& entry = model.layout["ammo"][static_cast<std::size_t>(mount)];
        const AmmoReadout& readout = layout.ammo[entry["mount"].get<std::size_t>()];
        EXPECT_EQ(readout.position.x, entry["position"][0].get<float>());
        EXPECT_EQ(readout.size, entry["size"].get<float>());
    }
    EXPECT_EQ(layout.torso.y, model.layout["torso"][1].get<float>());
    EXPECT_EQ(layout.heading.x, model.layout["heading"][0].get<float>());
}

TEST_F(CockpitFiles, SplitKeepsTriangleOrderAndPutsTheBoundaryLow) {
    // Lamps first in the file, then body triangles at mean heights 0.45
    // (lower), 0.46 (upper) and 0.2 (lower).
    std::vector<CockpitVertex> vertices;
    json objects = json::array();
    for (int k = 0; k < 5; ++k) {
        const auto lampTriangle = triangle(-0.3f);
        vertices.insert(vertices.end(), lampTriangle.begin(), lampTriangle.end());
        objects.push_back({{"object", "Status lamp lens " + std::to_string(5 - k)},
                           {"first_vertex", 3 * k},
                           {"vertex_count", 3}});
    }
    for (const float y : {0.45f, 0.46f, 0.2f}) {
        const auto body = triangle(y);
        vertices.insert(vertices.end(), body.begin(), body.end());
    }
    model.vertices = vertices;
    model.manifest = {{"objects", objects}};
    write();
    const CockpitMesh mesh = readCockpitMesh(folder.path());
    EXPECT_EQ(mesh.lowerVertices, 6);
    EXPECT_EQ(mesh.bodyVertices, 9);
    const auto heightOf = [&mesh](int vertex) {
        return mesh.vertices[static_cast<std::size_t>(vertex) * kCockpitVertexFloats + 1];
    };
    EXPECT_EQ(heightOf(0), 0.45f);
    EXPECT_EQ(heightOf(3), 0.2f);
    EXPECT_EQ(heightOf(6), 0.46f);
    // Lamps are numbered by manifest order, not by name.
    for (int k = 0; k < 5; ++k) EXPECT_EQ(mesh.lamps[static_cast<std::size_t>(k)].first, 9 + 3 * k);
}

TEST_F(CockpitFiles, AllLampCockpitHasNoBody) {
    model.vertices.resize(15);
    json objects = json::array();
    for (int k = 0; k < 5; ++k)
        objects.push_back({{"object", "Status lamp lens"}, {"first_vertex", 3 * k}, {"vertex_count", 3}});
    model.manifest = {{"objects", objects}};
    write();
    const CockpitMesh mesh = readCockpitMesh(folder.path());
    EXPECT_EQ(mesh.bodyVertices, 0);
    EXPECT_EQ(mesh.lamps[0].first, 0);
}

TEST_F(CockpitFiles, LargestMeshLoads) {
    model.vertices.assign(300000, triangle(0.0f)[0]);
    write();
    EXPECT_EQ(readCockpitMesh(folder.path()).fileVertices, 300000u);
}

struct MeshCase {
    const char* name;
    std::function<void(CockpitModel&)> change;
    const char* message;
};

class CockpitFileChecks : public CockpitFiles, public ::testing::WithParamInterface<MeshCase> {};

TEST_P(CockpitFileChecks, ReportTheirMessage) {
    GetParam().change(model);
    write();
    EXPECT_EQ(failure(), GetParam().message);
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

void renameLamp(CockpitModel& model, const std::string& name) { lampOf(model, 4)["object"] = name; }

const MeshCase kMeshCases[] = {
    {"EdgeValuesPass",
     [](CockpitModel& m) {
         m.vertices[0].position = {10.0f, -10.0f, 0.0f};
         m.vertices[0].normal = {0.9f, 0, 0};
         m.vertices[1].normal = {0, 1.1f, 0};
         m.vertices[0].colour = {0, 1, 0};
         m.vertices[0].emission = 1;
     },
     "loaded"},
    {"PositionBeyondTen", [](CockpitModel& m) { m.vertices[4].position[2] = -10.000001f; },
     "Cockpit outside physical size budget"},
    {"ShortNormal", [](CockpitModel& m) { m.vertices[2].normal = {0, 0.899f, 0}; }, "Invalid cockpit normal"},
    {"LongNormal", [](CockpitModel& m) { m.vertices[2].normal = {0.8f, 0.8f, 0}; }, "Invalid cockpit normal"},
    {"NegativeColour", [](CockpitModel& m) { m.vertices[7].colour[1] = -0.001f; }, "Invalid cockpit material"},
    {"EmissionAboveOne", [](CockpitModel& m) { m.vertices[7].emission = 1.001f; }, "Invalid cockpit material"},
    {"NanBeforeAnEarlierRangeFault",
     [](CockpitModel& m) {
         m.vertices[0].position[0] = 50.0f;
         m.vertices[9].emission = kNan;
     },
     "Non-finite cockpit vertex"},
    {"InfiniteNormal", [](CockpitModel& m) { m.vertices.back().normal[0] = kInfinity; }, "Non-finite cockpit vertex"},
    {"LampSuffixesCount",
     [](CockpitModel& m) {
         renameLamp(m, "Status lamp lens 7");
         lampOf(m, 3)["object"] = "Status lamp lens";
     },
     "loaded"},
    {"LowerCaseLampIsNoLamp", [](CockpitModel& m) { renameLamp(m, "status lamp lens.005"); },
     "Cockpit requires five health lamps"},
    {"NameStoppingBeforeLensIsNoLamp", [](CockpitModel& m) { renameLamp(m, "Status lamp"); },
     "Cockpit requires five health lamps"},
    {"SixthLamp",
     [](CockpitModel& m) {
         m.manifest["objects"].push_back({{"object", "Status lamp lens.006"}, {"first_vertex", 0}, {"vertex_count", 3}});
     },
     "Invalid health lamp geometry"},
    {"EmptyLampIsAccepted", [](CockpitModel& m) { lampOf(m, 2)["vertex_count"] = 0; }, "loaded"},
    {"LampStartNotWholeTriangle", [](CockpitModel& m) { lampOf(m, 0)["first_vertex"] = 4; },
     "Invalid health lamp geometry"},
    {"LampCountNotWholeTriangle", [](CockpitModel& m) { lampOf(m, 0)["vertex_count"] = 35; },
     "Invalid health lamp geometry"},
    {"NegativeLampStart", [](CockpitModel& m) { lampOf(m, 1)["first_vertex"] = -3; }, "Invalid health lamp geometry"},
    {"LampPastTheEnd",
     [](CockpitModel& m) {
         const auto count = lampOf(m, 4)["vertex_count"].get<std::int64_t>();
         lampOf(m, 4)["first_vertex"] = static_cast<std::int64_t>(m.vertices.size()) - count + 3;
     },
     "Invalid health lamp geometry"},
    {"HugeLampDoesNotOverflow",
     [](CockpitModel& m) {
         lampOf(m, 4)["first_vertex"] = 3;
         lampOf(m, 4)["vertex_count"] = std::numeric_limits<std::int64_t>::max() - 2;
     },
     "Invalid health lamp geometry"},
    // Floats no 64-bit integer holds are refused, not converted.
    {"LampStartBeyondEveryInteger", [](CockpitModel& m) { lampOf(m, 1)["first_vertex"] = 1e300; },
     "Invalid health lamp geometry"},
    {"LampCountBeyondEveryInteger", [](CockpitModel& m) { lampOf(m, 1)["vertex_count"] = -9223372036854775808.0 * 2; },
     "Invalid health lamp geometry"},
    {"SchemaTwo", [](CockpitModel& m) { m.layout["schema"] = 2; }, "Invalid cockpit instrument layout"},
    {"AmmoInOverview", [](CockpitModel& m) { m.layout["ammo_in_overview"] = true; },
     "Invalid cockpit instrument layout"},
    {"FiveReadouts", [](CockpitModel& m) { m.layout["ammo"].erase(5); }, "Invalid cockpit instrument layout"},
    {"MountsInAnyOrder",
     [](CockpitModel& m) {
         for (int i = 0; i < 6; ++i) m.layout["ammo"][static_cast<std::size_t>(i)]["mount"] = 5 - i;
     },
     "loaded"},
    {"RepeatedMount", [](CockpitModel& m) { m.layout["ammo"][3]["mount"] = 1; }, "Duplicate or invalid ammo mount"},
    {"MountSix", [](CockpitModel& m) { m.layout["ammo"][5]["mount"] = 6; }, "Duplicate or invalid ammo mount"},
    {"MountMinusOne", [](CockpitModel& m) { m.layout["ammo"][0]["mount"] = -1; }, "Duplicate or invalid ammo mount"},
    {"MountBeyondEveryInteger", [](CockpitModel& m) { m.layout["ammo"][0]["mount"] = 9223372036854775808.0; },
     "Duplicate or invalid ammo mount"},
    {"ReadoutOutside", [](CockpitModel& m) { m.layout["ammo"][2]["position"][1] = 10.5; },
     "Invalid instrument position"},
    {"AnchorOutside", [](CockpitModel& m) { m.layout["heading"][2] = -11; }, "Invalid instrument position"},
    {"HugeAnchorIsNotFinite", [](CockpitModel& m) { m.layout["radar"][0] = 1e300; }, "Invalid instrument position"},
    {"LargestReadout", [](CockpitModel& m) { m.layout["ammo"][0]["size"] = 0.05; }, "loaded"},
    {"ZeroReadout", [](CockpitModel& m) { m.layout["ammo"][0]["size"] = 0.0; }, "Invalid readout scale"},
    {"NegativeZeroReadout", [](CockpitModel& m) { m.layout["ammo"][0]["size"] = -0.0; }, "Invalid readout scale"},
    {"OversizeReadout", [](CockpitModel& m) { m.layout["ammo"][0]["size"] = 0.051; }, "Invalid readout scale"},
    {"HugeReadoutIsNotFinite", [](CockpitModel& m) { m.layout["ammo"][4]["size"] = 1e300; }, "Invalid readout scale"},
};

INSTANTIATE_TEST_SUITE_P(Cases, CockpitFileChecks, ::testing::ValuesIn(kMeshCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CockpitFiles, HeaderAndLengthAreChecked) {
    write();
    const std::vector<std::uint8_t> good = contentgen::cockpitMeshBytes(model.vertices);
    const auto withCount = [&good](std::uint32_t count) {
        std::vector<std::uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(8 + i)] = static_cast<std::uint8_t>(count >> (8 * i));
        return bytes;
    };
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    std::vector<std::uint8_t> badMagic = good;
    badMagic[3] = 'Q';
    std::vector<std::uint8_t> version2 = good;
    version2[4] = 2;
    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);
    std::vector<std::uint8_t> missing = good;
    missing.pop_back();
    const std::vector<Case> cases{
        {std::vector<std::uint8_t>(good.begin(), good.begin() + 11), "Truncated cockpit mesh"},
        {{}, "Truncated cockpit mesh"},
        {badMagic, "Invalid cockpit mesh header/length"},
        {version2, "Invalid cockpit mesh header/length"},
        {withCount(0), "Invalid cockpit mesh header/length"},
        {withCount(4), "Invalid cockpit mesh header/length"},
        {withCount(300003), "Invalid cockpit mesh header/length"},
        {trailing, "Invalid cockpit mesh header/length"},
        {missing, "Invalid cockpit mesh header/length"},
    };
    for (const Case& c : cases) {
        writeMeshBytes(c.bytes);
        EXPECT_EQ(failure(), c.message) << c.bytes.size() << " bytes";
    }
}

TEST_F(CockpitFiles, MissingMeshNamesItsPath) {
    write();
    std::filesystem::remove(folder.path() / "cockpit.mesh");
    EXPECT_EQ(failure(), "Missing authored cockpit: " + (folder.path() / "cockpit.mesh").string() +
                             ". See docs/COCKPIT.md for Blender export.");
}

TEST_F(CockpitFiles, BrokenJsonFailsWithTheLibrarysError) {
    write();
    model.manifest["objects"][0]["object"] = 7;
    contentgen::writeCockpit(folder.path(), model);
    EXPECT_THROW(readCockpitMesh(folder.path()), json::type_error);
    // The same objects keyed by name are not a list of objects.
    model = contentgen::demoCockpit();
    json keyed = json::object();
    for (const json& object : model.manifest["objects"]) keyed[object["object"].get<std::string>()] = object;
    model.manifest["objects"] = keyed;
    contentgen::writeCockpit(folder.path(), model);
    EXPECT_THROW(readCockpitMesh(folder.path()), json::type_error);
    model = contentgen::demoCockpit();
    model.layout["radar"] = {0.0, 1.0};
    contentgen::writeCockpit(folder.path(), model);
    EXPECT_THROW(readCockpitLayout(folder.path()), json::out_of_range);
    std::filesystem::remove(folder.path() / "layout.json");
    EXPECT_THROW(readCockpitLayout(folder.path()), json::parse_error);
}

}  // namespace
}  // namespace bastion
