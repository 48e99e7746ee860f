#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/internal/world_atlas.h"
#include "support/content/files.h"
#include "support/refusal.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using testing_support::refusal;
using testing_support::TempFolder;
using testing_support::writeFile;

TEST(WorldAtlas, FolderChoice) {
    TempFolder retail("atlas-folders");
    const std::filesystem::path root = retail.path();
    std::filesystem::create_directories(root / "sb2/shared/gameplay");
    struct Case {
        int campaign;
        bool prototype;
        bool sharedCopy;
        const char* gameplay;
        const char* pickups;
        int key;
    };
    const Case cases[] = {
        {0, false, false, "gameplay", "gameplay", 0},
        {0, false, true, "sb2/shared/gameplay", "sb2/shared/gameplay", 0},
        {1, false, false, "sb2/gameplay", "gameplay", 1},
        {1, false, true, "sb2/gameplay", "sb2/shared/gameplay", 1},
        {1, true, false, "sb2/gameplay", "gameplay", 2},
        {1, true, true, "sb2/shared/gameplay", "sb2/shared/gameplay", 2},
        {0, true, true, "sb2/shared/gameplay", "sb2/shared/gameplay", 2},
    };
    for (const Case& c : cases) {
        const std::filesystem::path shared = root / "sb2/shared/gameplay/missions.json";
        if (c.sharedCopy) {
            writeFile(shared, "{}");
        } else {
            std::filesystem::remove(shared);
        }
        const std::string name = "campaign " + std::to_string(c.campaign) + " prototype " +
                                 std::to_string(c.prototype) + " shared " + std::to_string(c.sharedCopy);
        EXPECT_EQ(gameplayAtlasFolder(root, c.campaign, c.prototype), root / c.gameplay) << name;
        EXPECT_EQ(pickupAtlasFolder(root), root / c.pickups) << name;
        EXPECT_EQ(atlasKey(c.campaign, c.prototype), c.key) << name;
    }
}

TEST(WorldAtlas, SizeFromTheMissionDocument) {
    TempFolder folder("atlas-size");
    struct Case {
        const char* document;  // nullptr: no "missions.json"
        std::string result;    // "W x H" or the refusal
    };
    const Case cases[] = {
        {R"({"schema": 1})", "256 x 158"},
        {R"([1, 2])", "256 x 158"},
        {R"({"atlas_size": [4096, 4096]})", "4096 x 4096"},
        {R"({"atlas_size": [1, 1.0]})", "1 x 1"},
        {R"({"atlas_size": [0, 158]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [4097, 1]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [-256, 158]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [256.5, 158]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [1e300, 1]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [256, 158, 1]})", "Invalid atlas dimensions"},
        {R"({"atlas_size": [256]})", "json"},
        {R"({"atlas_size": 256})", "json"},
        {R"({"atlas_size": ["256", 158]})", "json"},
        {R"({"atlas_size": )", "json"},
        {nullptr, "json"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path document = folder.path() / "missions.json";
        if (c.document != nullptr) {
            writeFile(document, c.document);
        } else {
            std::filesystem::remove(document);
        }
        std::string result;
        const std::string refused = refusal([&] {
            const AtlasSize size = atlasSize(folder.path());
            result = std::to_string(size.width) + " x " + std::to_string(size.height);
        });
        EXPECT_EQ(refused == "accepted" ? result : refused, c.result) << (c.document ? c.document : "no document");
    }
}

// A gameplay atlas must be exactly its size; a pickup atlas at least.
TEST(WorldAtlas, ImageLengths) {
    TempFolder folder("atlas-images");
    const AtlasSize size{256, 158};
    const std::size_t exact = 256u * 158u * 4u;
    ASSERT_EQ(exact, 161792u);
    const std::filesystem::path file = folder.path() / "atlas-day.rgba";
    struct Case {
        long length;  // -1: no file, -2: a folder in its place
        const char* gameplay;
        const char* pickups;
    };
    const char* const kGameplayRefusal = "Decode gameplay atlas first";
    const char* const kPickupRefusal = "Missing pickup atlas";
    const Case cases[] = {
        {static_cast<long>(exact), "accepted", "accepted"},
        {static_cast<long>(exact) + 1, kGameplayRefusal, "accepted"},
        {static_cast<long>(exact) - 1, kGameplayRefusal, kPickupRefusal},
        {0, kGameplayRefusal, kPickupRefusal},
        {-1, kGameplayRefusal, kPickupRefusal},
        {-2, kGameplayRefusal, kPickupRefusal},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(file);
        if (c.length == -2) {
            std::filesystem::create_directories(file);
        } else if (c.length >= 0) {
            std::string bytes(static_cast<std::size_t>(c.length), '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
            writeFile(file, bytes);
        }
        std::vector<std::uint8_t> gameplay;
        std::vector<std::uint8_t> pickups;
        EXPECT_EQ(refusal([&] { gameplay = readGameplayAtlas(file, size); }), c.gameplay) << c.length;
        EXPECT_EQ(refusal([&] { pickups = readPickupAtlas(file, size); }), c.pickups) << c.length;
        if (c.length >= static_cast<long>(exact)) {
            ASSERT_EQ(pickups.size(), exact);
            EXPECT_EQ(pickups[exact - 1], static_cast<std::uint8_t>((exact - 1) * 7));
        }
    }
}

}  // namespace
}  // namespace bastion
