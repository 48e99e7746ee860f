#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "failure_message.h"
#include "support/temp_folder.h"
#include "shell/imported_cartridge.h"

namespace bastion {
namespace {

constexpr std::string_view kDigest = "a042ac18e9e36e333bc7e999d7033a22668ec5ae05517ce18ee348d8431bd25a";

class ImportedCartridgeCheck : public testing::Test {
protected:
    testing_support::TempFolder temp{"imported-cartridge"};
    std::filesystem::path retail = temp.path();

    void writeManifest(const std::string& text) { std::ofstream(retail / "manifest.json") << text; }

    void writeManifest(const nlohmann::json& manifest) { writeManifest(manifest.dump()); }

    static nlohmann::json goodManifest() {
        return {{"schema", 1}, {"sha256", kDigest}, {"module", "SB MODULE"}, {"status", "READY"}};
    }

    void writeImage(std::uintmax_t size, std::uintmax_t markerAt) {
        std::string bytes(size, '\xA5');
        bytes.replace(markerAt, kCartridgeMarker.size(), kCartridgeMarker);
        std::ofstream(retail / "cartridge.bin", std::ios::binary) << bytes;
    }

    std::string failure() {
        return failureMessage([&] { checkImportedCartridge(retail, kDigest); });
    }
};

TEST_F(ImportedCartridgeCheck, GoodImportGivesModuleAndStatus) {
    writeManifest(goodManifest().dump() + " trailing text is not examined");
    writeImage(kCartridgeImageSize, kCartridgeMarkerOffset);
    const ImportedCartridge cartridge = checkImportedCartridge(retail, kDigest);
    EXPECT_EQ(cartridge.module, "SB MODULE");
    EXPECT_EQ(cartridge.status, "READY");
}

TEST_F(ImportedCartridgeCheck, EmptyFolderAsksForAnImport) {
    EXPECT_EQ(failure(),
              "Import the local cart with tools/import_cartridge first, or use --fixture to skip cartridge "
              "validation");
}

TEST_F(ImportedCartridgeCheck, ManifestMustNameTheSupportedImage) {
    writeImage(kCartridgeImageSize, kCartridgeMarkerOffset);
    std::string upper(kDigest);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::pair<const char*, nlohmann::json> changes[] = {
        {"schema", "1"}, {"schema", 2}, {"schema", nullptr}, {"sha256", upper},
        {"sha256", std::string(kDigest) + " "}, {"sha256", 7},
    };
    for (const auto& [key, value] : changes) {
        nlohmann::json manifest = goodManifest();
        manifest[key] = value;
        writeManifest(manifest);
        EXPECT_EQ(failure(), "Unsupported cartridge manifest") << key << " " << value;
        manifest.erase(key);
        writeManifest(manifest);
        EXPECT_EQ(failure(), "Unsupported cartridge manifest") << "without " << key;
    }
    nlohmann::json floatSchema = goodManifest();
    floatSchema["schema"] = 1.0;
    writeManifest(floatSchema);
    EXPECT_EQ(failure(), "no failure");
}

TEST_F(ImportedCartridgeCheck, JsonErrorsComeFromTheLibrary) {
    writeImage(kCartridgeImageSize, kCartridgeMarkerOffset);
    writeManifest(std::string("{\"schema\": "));
    EXPECT_THROW(checkImportedCartridge(retail, kDigest), nlohmann::json::parse_error);
    writeManifest(nlohmann::json::array({goodManifest()}));
    EXPECT_THROW(checkImportedCartridge(retail, kDigest), nlohmann::json::type_error);
    for (const char* key : {"module", "status"}) {
        nlohmann::json manifest = goodManifest();
        manifest.erase(key);
        writeManifest(manifest);
        EXPECT_THROW(checkImportedCartridge(retail, kDigest), nlohmann::json::type_error) << key;
        manifest[key] = 5;
        writeManifest(manifest);
        EXPECT_THROW(checkImportedCartridge(retail, kDigest), nlohmann::json::type_error) << key;
    }
}

TEST_F(ImportedCartridgeCheck, ImageMustHaveTheExactSize) {
    writeManifest(goodManifest());
    EXPECT_EQ(failure(), "Missing or truncated imported cartridge");
    for (std::uintmax_t size : {kCartridgeImageSize - 1, kCartridgeImageSize + 1, std::uintmax_t{9000}}) {
        writeImage(size, kCartridgeMarkerOffset);
        EXPECT_EQ(failure(), "Missing or truncated imported cartridge") << size;
    }
}

TEST_F(ImportedCartridgeCheck, MarkerMayStartUpToTwoBytesLate) {
    writeManifest(goodManifest());
    for (std::uintmax_t offset : {kCartridgeMarkerOffset, kCartridgeMarkerOffset + 1, kCartridgeMarkerOffset + 2}) {
        writeImage(kCartridgeImageSize, offset);
        EXPECT_EQ(failure(), "no failure") << offset;
    }
    for (std::uintmax_t offset : {kCartridgeMarkerOffset - 1, kCartridgeMarkerOffset + 3, std::uintmax_t{0}}) {
        writeImage(kCartridgeImageSize, offset);
        EXPECT_EQ(failure(), "Imported cartridge module marker is damaged") << offset;
    }
}

TEST(SupportedCartridgeDigest, IsSixtyFourLowercaseHexDigits) {
    const std::string_view digest = supportedCartridgeDigest();
    ASSERT_EQ(digest.size(), 64u);
    EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string_view::npos);
}

}  // namespace
}  // namespace bastion
