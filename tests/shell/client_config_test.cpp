#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "platform/atomic_replace.h"
#include "shell/client_config.h"
#include "support/refusal.h"
#include "support/scoped_environment.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using testing_support::listFolder;
using testing_support::readFile;
using testing_support::refusal;
using testing_support::ScopedEnvironment;
using testing_support::writeFile;

// A configuration whose every field differs from the defaults.
ClientConfig customised() {
    ClientConfig config;
    config.server = "old.example:1";
    config.playerName = "Old";
    config.soundVolume = 0.5f;
    config.musicVolume = 0.75f;
    return config;
}

void expectSame(const ClientConfig& a, const ClientConfig& b) {
    EXPECT_EQ(a.server, b.server);
    EXPECT_EQ(a.playerName, b.playerName);
    EXPECT_EQ(a.soundVolume, b.soundVolume);
    EXPECT_EQ(a.musicVolume, b.musicVolume);
}

// Loads `text` from the file at `path` into a customised configuration: the
// refusal, and the configuration afterwards.
std::pair<std::string, ClientConfig> loadText(const std::filesystem::path& path, const char* text) {
    writeFile(path, text);
    ClientConfig config = customised();
    std::string message = refusal([&] { config.load(path, false); });
    return {message, config};
}

struct RefusedFile {
    const char* text;
    const char* message;
};

TEST(ClientConfigLoad, RefusesBadFilesAndChangesNothing) {
    const RefusedFile cases[] = {
        {"[]", "Client config must be a JSON object"},
        {"\"server\"", "Client config must be a JSON object"},
        {R"({"theme": 1, "player_name": ""})", "Unknown client config key: theme"},
        {R"({"zeta": 1, "alpha": 2, "server": ""})", "Unknown client config key: alpha"},
        {R"({"server": ""})", "Lobby server cannot be empty"},
        {R"({"server": "", "player_name": "  "})", "Player name cannot be blank"},
        {R"({"player_name": "123456789012345678901"})", "Player name must be at most 20 characters"},
        {R"({"player_name": "Ace\t"})", "Player name must use printable ASCII characters"},
        {R"({"sound_volume": 1.5})", "sound_volume must be from 0 to 1"},
        {R"({"music_volume": -0.5})", "music_volume must be from 0 to 1"},
        {R"({"sound_volume": 1e300})", "sound_volume must be from 0 to 1"},
        {R"({"music_volume": 1.0000001})", "music_volume must be from 0 to 1"},
        {R"({"sound_volume": "1"})", "sound_volume must be a number from 0 to 1"},
        {R"({"music_volume": true})", "music_volume must be a number from 0 to 1"},
        {R"({"music_volume": "x", "sound_volume": 2})", "sound_volume must be from 0 to 1"},
        {R"({"server": 5})", "json"},
        {R"({"player_name": null})", "json"},
        {R"({} {})", "json"},
        {"", "json"},
    };
    const testing_support::TempFolder scratch("client-config");
    const auto path = scratch.path() / "config.json";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto [message, config] = loadText(path, c.text);
        EXPECT_EQ(message, c.message);
        expectSame(config, customised());
    }
}

struct AcceptedFile {
    const char* text;
    ClientConfig expected;
};

TEST(ClientConfigLoad, AcceptsGoodFiles) {
    const AcceptedFile cases[] = {
        {"{}", customised()},
        {R"({"server": "example.org:2", "player_name": "  Ace  ", "sound_volume": 1,
             "music_volume": -0.0})",
         {"example.org:2", "Ace", 1.0f, 0.0f}},
        {R"({"sound_volume": 1.00000001, "music_volume": 0.25})", {"old.example:1", "Old", 1.0f, 0.25f}},
        {R"({"player_name": "12345678901234567890   "})",
         {"old.example:1", "12345678901234567890", 0.5f, 0.75f}},
    };
    const testing_support::TempFolder scratch("client-config");
    const auto path = scratch.path() / "config.json";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto [message, config] = loadText(path, c.text);
        EXPECT_EQ(message, "accepted");
        expectSame(config, c.expected);
    }
}

TEST(ClientConfigLoad, AMissingFileMattersOnlyWhenNamedByTheUser) {
    const testing_support::TempFolder scratch("client-config");
    const auto path = scratch.path() / "config.json";
    ClientConfig config = customised();
    config.load(path, false);
    expectSame(config, customised());
    EXPECT_EQ(refusal([&] { config.load(path, true); }), "Cannot read client config: " + path.string());
}

TEST(ClientConfigEnvironment, OverridesServerAndNameWhenSet) {
    struct Case {
        const char* server;
        const char* name;
        std::string expectedServer;
        std::string expectedName;
        const char* refusal;
    };
    const Case cases[] = {
        {" host:9 ", " Bo ", " host:9 ", "Bo", "accepted"},
        {"", "", "old.example:1", "Old", "accepted"},
        {nullptr, nullptr, "old.example:1", "Old", "accepted"},
        {"host:9", "   ", "old.example:1", "Old", "Player name cannot be blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.server ? c.server : "(unset)"));
        const ScopedEnvironment server("BASTION_LOBBY_SERVER", c.server);
        const ScopedEnvironment name("BASTION_PLAYER_NAME", c.name);
        ClientConfig config = customised();
        EXPECT_EQ(refusal([&] { config.environment(); }), c.refusal);
        EXPECT_EQ(config.server, c.expectedServer);
        EXPECT_EQ(config.playerName, c.expectedName);
    }
}

TEST(ClientConfigPath, FollowsTheUserFolderVariables) {
    struct Case {
        const char* appData;
        const char* xdg;
        const char* home;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {"/a", "/x", "/h", "/a/stormbastion-xr/config.json"},
        {"", "x", "/h", "x/stormbastion-xr/config.json"},
        {nullptr, nullptr, "/h", "/h/.config/stormbastion-xr/config.json"},
        {nullptr, nullptr, nullptr, "config.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const ScopedEnvironment appData("APPDATA", c.appData);
        const ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
        const ScopedEnvironment home("HOME", c.home);
        EXPECT_EQ(ClientConfig::defaultPath(), c.expected);
    }
}

TEST(ClientConfigSave, KeepsOtherMembersAndWritesSortedIndentedJson) {
    const testing_support::TempFolder scratch("client-config");
    const auto folder = scratch.path();
    writeFile(folder / "config.json",
              R"({"theme": "dark", "player_name": "Ace", "sound_volume": 1} trailing)");
    ClientConfig config;
    config.soundVolume = 0.8f;
    config.musicVolume = 0.25f;
    config.saveAudio(folder / "config.json");
    EXPECT_EQ(readFile(folder / "config.json"),
              "{\n"
              "  \"music_volume\": 0.25,\n"
              "  \"player_name\": \"Ace\",\n"
              "  \"sound_volume\": 0.800000011920929,\n"
              "  \"theme\": \"dark\"\n"
              "}\n");
    EXPECT_EQ(listFolder(folder), "config.json ");
}

TEST(ClientConfigSave, CreatesTheFolderAndAFileOfTheVolumesAlone) {
    const testing_support::TempFolder scratch("client-config");
    const auto path = scratch.path() / "new" / "deeper" / "config.json";
    ClientConfig config;
    config.musicVolume = 0.0f;
    config.saveAudio(path);
    EXPECT_EQ(readFile(path), "{\n  \"music_volume\": 0.0,\n  \"sound_volume\": 1.0\n}\n");
}

TEST(ClientConfigSave, FailuresLeaveTheFileAsItWasAndNoTemporary) {
    struct Case {
        const char* name;
        std::function<void(ClientConfig&)> prepare;
        const char* message;
    };
    const Case cases[] = {
        {"nan volume", [](ClientConfig& c) { c.soundVolume = std::nanf(""); }, "Invalid audio volume"},
        {"loud volume", [](ClientConfig& c) { c.musicVolume = 1.5f; }, "Invalid audio volume"},
        {"infinite volume",
         [](ClientConfig& c) { c.musicVolume = std::numeric_limits<float>::infinity(); },
         "Invalid audio volume"},
        {"refused write",
         [](ClientConfig&) { platform::failNextReplace(platform::ReplaceStep::write, ENOSPC); },
         "Cannot write client config"},
        {"refused flush",
         [](ClientConfig&) { platform::failNextReplace(platform::ReplaceStep::flush, EIO); },
         "Cannot write client config"},
        {"refused move",
         [](ClientConfig&) { platform::failNextReplace(platform::ReplaceStep::replace, EXDEV); },
         "Cannot replace client config"},
    };
    const testing_support::TempFolder scratch("client-config");
    const auto folder = scratch.path();
    const std::string old = R"({"player_name": "Ace"})";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder / "config.json", old);
        ClientConfig config;
        c.prepare(config);
        EXPECT_EQ(refusal([&] { config.saveAudio(folder / "config.json"); }), c.message);
        EXPECT_EQ(readFile(folder / "config.json"), old);
        EXPECT_EQ(listFolder(folder), "config.json ");
    }
}

TEST(ClientConfigSave, RefusesAFileThatIsNotAnObject) {
    const testing_support::TempFolder scratch("client-config");
    const auto path = scratch.path() / "config.json";
    writeFile(path, "[1]");
    EXPECT_EQ(refusal([&] { ClientConfig().saveAudio(path); }), "Client config must be a JSON object");
    EXPECT_EQ(readFile(path), "[1]");
}

TEST(ClientConfigSave, ATemporaryNameTooLongToCreateIsAWriteFailure) {
    // The file's own name fits; with the temporary suffix it is too long.
    const testing_support::TempFolder scratch("client-config");
    const auto folder = scratch.path();
    const auto path = folder / std::string(250, 'c');
    writeFile(path, "{}");
    EXPECT_EQ(refusal([&] { ClientConfig().saveAudio(path); }), "Cannot write client config");
    EXPECT_EQ(readFile(path), "{}");
}

}  // namespace
}  // namespace bastion
