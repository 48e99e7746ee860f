#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "contentgen/frontend_export.h"
#include "render/art_tree.h"
#include "support/gl/gl_window.h"
#include "render/renderer.h"
#include "support/demo_content.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::ArtTree;
using testing_support::artEntry;

// One SB1 art folder that loads: a 2 x 1 image and the demo briefings. Each
// case breaks one piece of it.
struct ArtCase {
    const char* name;
    std::function<void(json& assets, std::vector<std::uint8_t>& image, json& briefings)> breakIt;
    const char* message;
};

class ArtLoaderTest : public ::testing::TestWithParam<ArtCase> {
protected:
    void SetUp() override { testing_support::requireGlContext(); }
};

TEST_P(ArtLoaderTest, RejectsBrokenTreeWithItsMessage) {
    const ArtCase& broken = GetParam();
    json assets = json::array({artEntry("hud-font", "font.rgba", 2, 1)});
    std::vector<std::uint8_t> image(2 * 1 * 4, 0xFF);
    json briefings = contentgen::frontendExport(0);
    broken.breakIt(assets, image, briefings);

    const ArtTree tree;
    if (!assets.is_null()) tree.writeManifest("art", assets);
    tree.writeFile("art", "font.rgba", image);
    tree.writeBriefings("art", briefings);
    try {
        const Renderer renderer(tree.cockpit());
        FAIL() << "constructed";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), std::string(broken.message));
    }
}

const ArtCase kBrokenTrees[] = {
    {"NoManifest", [](json& assets, auto&, auto&) { assets = nullptr; }, "Missing original art manifest"},
    {"FileInFolder", [](json& assets, auto&, auto&) { assets[0]["rgba"] = "images/font.rgba"; },
     "Invalid art filename"},
    {"TooWide", [](json& assets, auto&, auto&) { assets[0]["width"] = 4097; }, "Invalid art dimensions"},
    {"NoHeight", [](json& assets, auto&, auto&) { assets[0]["height"] = 0; }, "Invalid art dimensions"},
    {"NegativeHeight", [](json& assets, auto&, auto&) { assets[0]["height"] = -1; }, "Invalid art dimensions"},
    // 2^32 + 2 must not wrap round to a width of 2.
    {"WrappingWidth", [](json& assets, auto&, auto&) { assets[0]["width"] = 4294967298u; },
     "Invalid art dimensions"},
    {"HugeFractionalWidth", [](json& assets, auto&, auto&) { assets[0]["width"] = 1e12; },
     "Invalid art dimensions"},
    {"ImageByteShort", [](auto&, auto& image, auto&) { image.pop_back(); }, "Missing/truncated original art: hud-font"},
    {"ImageByteLong", [](auto&, auto& image, auto&) { image.push_back(0); }, "Missing/truncated original art: hud-font"},
    {"ImageMissing", [](json& assets, auto&, auto&) { assets[0]["rgba"] = "absent.rgba"; },
     "Missing/truncated original art: hud-font"},
    {"BriefingSchema", [](auto&, auto&, json& briefings) { briefings["schema"] = 2; },
     "Decode original briefings with tools/decode_frontend"},
    {"FifteenBriefings", [](auto&, auto&, json& briefings) { briefings["missions"].erase(15); },
     "Decode original briefings with tools/decode_frontend"},
    {"BriefingOrder", [](auto&, auto&, json& briefings) {
         briefings["missions"][1]["id"] = 3;
         briefings["missions"][2]["id"] = 2;
     },
     "Invalid mission order"},
};

INSTANTIATE_TEST_SUITE_P(Messages, ArtLoaderTest, ::testing::ValuesIn(kBrokenTrees),
                         [](const auto& info) { return std::string(info.param.name); });

class ArtTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::requireGlContext();
        tree.writeBriefings("art", contentgen::frontendExport(0));
    }

    ArtTree tree;
};

TEST_F(ArtTreeTest, JsonFaultsSurfaceAsTheLibrarysExceptions) {
    tree.writeManifest("art", json::array({artEntry("a", "a.rgba", "2", 1)}));
    EXPECT_THROW(Renderer{tree.cockpit()}, json::type_error);

    tree.writeManifest("art", json::array());
    tree.writeFile("art", "frontend.json", {'{'});
    EXPECT_THROW(Renderer{tree.cockpit()}, json::parse_error);
}

TEST_F(ArtTreeTest, SizesAtTheLimitsAndFractionsLoad) {
    tree.writeManifest("art", json::array({
                                  artEntry("wide", "wide.rgba", 4096, 1),
                                  artEntry("tall", "tall.rgba", 1, 4096),
                                  artEntry("fraction", "fraction.rgba", 2.9, true),
                              }));
    tree.writeFile("art", "wide.rgba", std::vector<std::uint8_t>(4096 * 4));
    tree.writeFile("art", "tall.rgba", std::vector<std::uint8_t>(4096 * 4));
    tree.writeFile("art", "fraction.rgba", std::vector<std::uint8_t>(2 * 4));
    const Renderer renderer(tree.cockpit());
    EXPECT_EQ(renderer.textures.at("wide").width, 4096);
    EXPECT_EQ(renderer.textures.at("tall").height, 4096);
    EXPECT_EQ(renderer.textures.at("fraction").width, 2);
    EXPECT_EQ(renderer.textures.at("fraction").height, 1);
}

TEST_F(ArtTreeTest, FirstImageOfANameStaysAcrossBothFolders) {
    tree.writeManifest("art", json::array({artEntry("panel", "one.rgba", 1, 1), artEntry("panel", "two.rgba", 2, 1)}));
    tree.writeFile("art", "one.rgba", std::vector<std::uint8_t>(4));
    tree.writeFile("art", "two.rgba", std::vector<std::uint8_t>(8));
    tree.writeManifest("sb2/art", json::array({artEntry("panel", "three.rgba", 3, 1)}));
    tree.writeFile("sb2/art", "three.rgba", std::vector<std::uint8_t>(12));
    tree.writeBriefings("sb2/art", contentgen::frontendExport(1));
    const Renderer renderer(tree.cockpit());
    EXPECT_EQ(renderer.textures.size(), 1u);
    EXPECT_EQ(renderer.textures.at("panel").width, 1);
    EXPECT_EQ(renderer.briefings[1].size(), 20u);
}

TEST_F(ArtTreeTest, SecondCampaignFolderIsOptionalButChecked) {
    tree.writeManifest("art", json::array());
    {
        const Renderer renderer(tree.cockpit());
        EXPECT_EQ(renderer.briefings[0].size(), 16u);
        EXPECT_TRUE(renderer.briefings[1].empty());
    }
    tree.writeManifest("sb2/art", json::array());
    tree.writeBriefings("sb2/art", contentgen::frontendExport(0));  // 16 missions where 20 belong
    try {
        const Renderer renderer(tree.cockpit());
        FAIL() << "constructed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Decode original briefings with tools/decode_frontend");
    }
}

TEST_F(ArtTreeTest, BriefingsKeepTitlesAndLinesInOrder) {
    json briefings = contentgen::frontendExport(0);
    briefings["missions"][4]["title"] = "FIFTH";
    briefings["missions"][4]["lines"] = json::array({{{"text", "ONE"}}, {{"text", "TWO"}}});
    briefings["missions"][5]["lines"] = json::array();
    tree.writeBriefings("art", briefings);
    tree.writeManifest("art", json::array());
    const Renderer renderer(tree.cockpit());
    EXPECT_EQ(renderer.briefings[0][4].title, "FIFTH");
    EXPECT_EQ(renderer.briefings[0][4].lines, (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_TRUE(renderer.briefings[0][5].lines.empty());
}

TEST(DemoArt, RendererConstructsOnTheGeneratedTree) {
    testing_support::requireGlContext();
    const Renderer renderer(testing_support::demoContent() / "cockpit");
    EXPECT_EQ(renderer.textures.at("hud-font").width, 128);
    EXPECT_EQ(renderer.textures.at("hud-font").height, 48);
    EXPECT_EQ(renderer.textures.count("mission-briefing-panel"), 1u);
    EXPECT_EQ(renderer.briefings[0].size(), 16u);
    EXPECT_EQ(renderer.briefings[1].size(), 20u);
    EXPECT_EQ(renderer.gameplayDirectory, testing_support::demoContent() / "gameplay");
    EXPECT_EQ(renderer.armRig.upperLength, 2.1f);
}

}  // namespace
}  // namespace bastion
