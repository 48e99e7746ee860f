#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"
#include "shell/retail_folder.h"

namespace bastion {
namespace {

class RetailFolderChoice : public testing::Test {
protected:
    testing_support::TempFolder temp{"retail-folder"};
    std::filesystem::path root = temp.path();
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
