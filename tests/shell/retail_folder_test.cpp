#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/retail_folder.h"
#include "temp_folder.h"

namespace bastion {
namespace {

class RetailFolderChoice : public testing::Test {
protected:
    std::filesystem::path root = freshTempFolder();
    std::filesystem::path program = root / "bin";
    std::filesystem::path fallback = root / "fallback";

    void SetUp() override { std::filesystem::create_directories(program); }

    void manifestIn(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "manifest.json") << "{}";
    }
};

TEST_F(RetailFolderChoice, BesideTheProgramFirstThenItsParent) {
    EXPECT_EQ(chooseRetailFolder(program, fallback), fallback);
    EXPECT_EQ(chooseRetailFolder(std::nullopt, fallback), fallback);
    manifestIn(program / "../assets/retail");
    EXPECT_EQ(chooseRetailFolder(program, fallback), program / "../assets/retail");
    manifestIn(program / "assets/retail");
    EXPECT_EQ(chooseRetailFolder(program, fallback), program / "assets/retail");
    EXPECT_EQ(chooseRetailFolder(std::nullopt, fallback), fallback);
}

TEST_F(RetailFolderChoice, ManifestFolderDoesNotCount) {
    std::filesystem::create_directories(program / "assets/retail/manifest.json");
    EXPECT_EQ(chooseRetailFolder(program, fallback), fallback);
    manifestIn(program / "../assets/retail");
    EXPECT_EQ(chooseRetailFolder(program, fallback), program / "../assets/retail");
}

}  // namespace
}  // namespace bastion
