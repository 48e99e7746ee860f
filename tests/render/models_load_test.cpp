#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/gl/gl_window.h"
#include "render/renderer.h"
#include "support/demo_content.h"
#include "support/refusal.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::refusal;

class ModelsLoad : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::requireGlContext();
        std::filesystem::copy(testing_support::demoContent(), retail(), std::filesystem::copy_options::recursive);
    }
    std::filesystem::path retail() const { return folder_.path() / "retail"; }
    std::filesystem::path cockpit() const { return retail() / "cockpit"; }
    json read(const std::string& file) const { return json::parse(std::ifstream(retail() / "models" / file)); }
    void write(const std::filesystem::path& path, const json& document) const {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << document.dump();
    }

private:
    testing_support::TempFolder folder_{"models"};
};

TEST_F(ModelsLoad, DemoModelsArmRigAndPickupTypesLoad) {
    const Renderer renderer(cockpit());
    const json manifest = read("manifest.json");
    EXPECT_EQ(renderer.models.size(), manifest["models"].size());
    for (const auto& [name, model] : renderer.models) {
        EXPECT_NE(model.vertexArray, 0u) << name;
        EXPECT_GT(model.count, 0) << name;
        EXPECT_EQ(model.count % 3, 0) << name;
    }
    const json rig = read("rig.json");
    EXPECT_FLOAT_EQ(renderer.armRig.upperLength, rig["upper_length"].get<float>());
    EXPECT_FLOAT_EQ(renderer.armRig.muzzle[3].y, rig["held"][3]["muzzle"][1].get<float>());
    for (std::size_t kind = 0; kind < 32; ++kind)
        EXPECT_EQ(renderer.pickupTypes[kind], manifest["pickup_types"][kind].get<std::uint32_t>());
}

// A same-named file in the second campaign's shared models wins; the
// buffer holds exactly its one triangle.
TEST_F(ModelsLoad, SharedModelFolderOverridesSameNamedFiles) {
    const json triangle = {{"vertices", {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}}},
                           {"faces", {{{"indices", {0, 1, 2}}, {"color", {255, 255, 255}}}}}};
    write(retail() / "sb2/shared/models/rifle.json", triangle);
    const Renderer renderer(cockpit());
    const Renderer::Model& rifle = renderer.models.at("rifle");
    ASSERT_EQ(rifle.count, 3);
    float stored[30];
    glBindBuffer(GL_ARRAY_BUFFER, rifle.buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof stored, stored);
    EXPECT_FLOAT_EQ(stored[10], 1.0f);  // second vertex x
    EXPECT_FLOAT_EQ(stored[21], 1.0f);  // third vertex y
    EXPECT_FLOAT_EQ(rifle.max.x, 1.0f);
    EXPECT_GT(renderer.models.at("cutter").count, 3);
}

// Without "animation-rigs.json" the walker rig always comes from the models
// folder's own "stormbastion.json": neither a shared copy nor the file the
// manifest names for the walker takes its place.
TEST_F(ModelsLoad, SynthesizedWalkerRigReadsTheModelsFolderFile) {
    json fifteen = read("stormbastion.json");
    fifteen["segments"].erase(15);
    write(retail() / "sb2/shared/models/stormbastion.json", fifteen);
    EXPECT_EQ(refusal([&] { Renderer renderer(cockpit()); }), "accepted");
    std::filesystem::remove(retail() / "sb2/shared/models/stormbastion.json");

    json manifest = read("manifest.json");
    manifest["models"]["stormbastion"]["file"] = "walker.json";
    write(retail() / "models/manifest.json", manifest);
    std::filesystem::rename(retail() / "models/stormbastion.json", retail() / "models/walker.json");
    EXPECT_EQ(refusal([&] { Renderer renderer(cockpit()); }), "json");
}

// "rig.json" is read before any model entry, and each entry's "file" only
// when that entry's turn comes, so the first fault in that order is the one
// reported.
TEST_F(ModelsLoad, RigAndModelEntriesAreReadInTurn) {
    json badRig = read("rig.json");
    badRig["tracking_scale"] = 0.01;
    json badRifle = read("rifle.json");
    badRifle["vertices"][0][0] = 40000;
    const struct {
        const char* name;
        std::function<void(json& manifest)> change;
        bool rigBroken;
        bool rifleBroken;
        std::string message;
    } cases[] = {
        {"entry without file", [](json& m) { m["models"]["zz-last"] = json::object(); }, true, false,
         "Invalid arm scale"},
        {"models not an object", [](json& m) { m["models"] = json::array(); }, true, false, "Invalid arm scale"},
        {"no models", [](json& m) { m.erase("models"); }, true, false, "Invalid arm scale"},
        {"entry without file after a bad model", [](json& m) { m["models"]["zz-last"] = json::object(); }, false,
         true, "Invalid model vertex"},
        {"folder name after a bad model", [](json& m) { m["models"]["zz-last"]["file"] = "a/b.json"; }, false,
         true, "Invalid model vertex"},
        {"entry without file", [](json& m) { m["models"]["zz-last"] = json::object(); }, false, false, "json"},
    };
    const json manifest = read("manifest.json");
    const json rig = read("rig.json");
    const json rifle = read("rifle.json");
    for (const auto& c : cases) {
        json changed = manifest;
        c.change(changed);
        write(retail() / "models/manifest.json", changed);
        write(retail() / "models/rig.json", c.rigBroken ? badRig : rig);
        write(retail() / "models/rifle.json", c.rifleBroken ? badRifle : rifle);
        EXPECT_EQ(refusal([&] { Renderer renderer(cockpit()); }), c.message) << c.name;
    }
}

TEST_F(ModelsLoad, ModelsTheManifestDoesNotNameAreReportedByName) {
    Renderer renderer(cockpit());
    EXPECT_EQ(refusal([&] { renderer.model("no-such-model", vant::identity); }),
              "Missing decoded model: no-such-model");
    EXPECT_EQ(refusal([&] { renderer.modelPreview("no-such-preview", vant::identity, 1.0f, 0.0f); }),
              "Missing decoded model: no-such-preview");
}

// A model file that no budget allows is refused before it is read, and a
// folder in a model file's place reads as a missing file.
TEST_F(ModelsLoad, HostileModelFilesAreRefused) {
    {
        std::ofstream big(retail() / "models/rifle.json");
        big << "{\"vertices\": [";
        big << std::string(70u << 20, ' ');
    }
    EXPECT_EQ(refusal([&] { Renderer renderer(cockpit()); }), "Original model exceeds budget");
    std::filesystem::remove(retail() / "models/rifle.json");
    std::filesystem::create_directory(retail() / "models/rifle.json");
    EXPECT_EQ(refusal([&] { Renderer renderer(cockpit()); }), "json");
}

}  // namespace
}  // namespace bastion
