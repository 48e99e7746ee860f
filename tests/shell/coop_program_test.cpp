// Co-op play of the built game: two programs, each in an X server of its
// own, through the lobby server program, each showing the other's walker;
// and one program against a server end that sends broken room states.
#include <gtest/gtest.h>

#include <csignal>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "coop/lobby_process.h"
#include "coop/transport.h"
#include "keyboard_game.h"
#include "support/demo_content.h"
#include "support/content/files.h"
#include "support/desktop_view.h"
#include "support/temp_folder.h"
#include "window_image.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::nearColour;
using testing_support::Rgb;
using testing_support::ViewPixel;
using testing_support::viewPixelOf;
using namespace std::chrono_literals;

// The exit summary as the last line, and a normal exit.
void expectCleanExit(const ProgramRun& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::size_t start = result.out.rfind('\n', result.out.size() - 2) + 1;
    EXPECT_EQ(result.out.compare(start, 7, "Frames="), 0) << result.out;
}

double torsoDegrees(const std::string& out) {
    const std::size_t at = out.rfind("torso_degrees=");
    return at == std::string::npos ? 0.0 : std::stod(out.substr(at + 14));
}

class CoopProgram : public testing::Test {
protected:
    testing_support::TempFolder temp{"coop-program"};

    std::vector<std::string> environment(const std::string& who) {
        const std::filesystem::path home = temp.path() / ("home-" + who);
        std::filesystem::create_directories(home);
        return {"SDL_AUDIODRIVER=dummy", "HOME=" + home.string()};
    }
    // A co-op run waits for several of the lobby's ten-second reports.
    static constexpr std::chrono::seconds kCoopTimeLimit{360};

    void start(KeyboardGame& game, const std::string& who, std::vector<std::string> args) {
        const std::filesystem::path config = temp.path() / (who + ".json");
        testing_support::writeFile(config, "{}");
        args.insert(args.end(), {"--name", who, "--config", config.string()});
        game.start(args, environment(who), temp.path() / ("run-" + who), kCoopTimeLimit);
    }

    // What `game` shows now, also kept as `name`.ppm for a person to look
    // at when the test fails.
    void screenshot(const KeyboardGame& game, const std::string& name, PpmImage& image) {
        image = game.screenshot();
        ASSERT_EQ(image.width, testing_support::kViewWidth) << "no screenshot of " << name;
        ASSERT_EQ(image.height, testing_support::kViewHeight) << "no screenshot of " << name;
        savePpm(image, temp.path() / (name + ".ppm"));
    }
};

// The lobby's next status report for which `wanted` holds about its first
// room; none within the limit (reports come every ten seconds).
std::optional<json> roomReport(coop::testing::LobbyProcess& lobby, const std::function<bool(const json&)>& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto line = lobby.line(30s);
        if (!line) return std::nullopt;
        const json report = json::parse(*line, nullptr, false);
        if (report.is_object() && !report["rooms"].empty() && wanted(report["rooms"][0])) return report["rooms"][0];
    }
    return std::nullopt;
}

// Holds each game's key together, long enough for a turn from the middle to
// a stop or a walk well clear of a walker (turning and walking go by time, so
// frames alone do not say how far), then releases them and lets the room's
// answer arrive.
void holdTogether(const std::vector<std::pair<KeyboardGame*, std::string>>& keys) {
    for (const auto& [game, key] : keys) ASSERT_NO_FATAL_FAILURE(game->keyDown(key));
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 10 || std::chrono::steady_clock::now() - start < 3s; ++frame) {
        for (const auto& [game, key] : keys) ASSERT_TRUE(game->waitFrames(1)) << key << " held, no frames";
    }
    for (const auto& [game, key] : keys) ASSERT_NO_FATAL_FAILURE(game->keyUp(key));
    for (const auto& [game, key] : keys) ASSERT_TRUE(game->waitFrames(5)) << key << " released, no frames";
}

// The share of pixels that differ clearly between two pictures of one view
// (with and without the other walker) where that walker's cockpit section
// stands: 10 m ahead, level with the eye, which is at the walker's top.
// Background alone changes few of them, whatever the mission's units and
// effects do meanwhile.
double changedShare(const PpmImage& with, const PpmImage& without) {
    const ViewPixel low = viewPixelOf(-1.5f, -1.0f, -10.0f);
    const ViewPixel high = viewPixelOf(1.5f, 0.5f, -10.0f);
    int changed = 0;
    int all = 0;
    for (int y = low.y; y <= high.y; ++y) {
        for (int x = low.x; x <= high.x; ++x, ++all) {
            const Rgb a = with.at({x, y});
            const Rgb b = without.at({x, y});
            changed += nearColour(a, b, 24) ? 0 : 1;
        }
    }
    return static_cast<double>(changed) / all;
}

TEST_F(CoopProgram, TwoGamesPlayOneMissionAndOutliveTheServer) {
    coop::testing::LobbyProcess lobby(
        {"--bind", "127.0.0.1", "--port", "0", "--retail", testing_support::demoContent().string()});
    const auto banner = lobby.line();
    ASSERT_TRUE(banner);
    const std::string server = "127.0.0.1:" + std::to_string(std::stoi(banner->substr(banner->find(" port ") + 6)));

    KeyboardGame host;
    ASSERT_NO_FATAL_FAILURE(start(host, "Ace", {"--host", "--server", server}));
    const auto created = roomReport(lobby, [](const json&) { return true; });
    ASSERT_TRUE(created) << "no room was created";
    const std::string code = (*created)["code"];

    // The joiner comes in by code while the host picks the first mission.
    KeyboardGame joiner;
    ASSERT_NO_FATAL_FAILURE(start(joiner, "Bea", {"--join", code, "--server", server}));
    ASSERT_NO_FATAL_FAILURE(host.press("Return"));
    ASSERT_TRUE(roomReport(lobby, [](const json& room) { return room["phase"] == 1 && room["players"].size() == 2; }))
        << "the joiner did not join by code, or the host's choice did not reach the room";

    // Both open the loadout and deploy.
    for (KeyboardGame* game : {&host, &joiner}) {
        for (int i = 0; i < 2; ++i) ASSERT_NO_FATAL_FAILURE(game->press("Return"));
    }
    ASSERT_TRUE(roomReport(lobby, [](const json& room) { return room["phase"] == 2; })) << "not deployed";

    // Scripted play. The joiner stands 10 m to the host's right, both facing
    // the mission's heading: with each torso turned to its stop, towards the
    // other, each sees the other's walker straight ahead.
    ASSERT_NO_FATAL_FAILURE(holdTogether({{&host, "Right"}, {&joiner, "Left"}}));
    PpmImage hostSees, joinerSees, hostAlone, joinerAlone;
    ASSERT_NO_FATAL_FAILURE(screenshot(host, "host-sees-joiner", hostSees));
    ASSERT_NO_FATAL_FAILURE(screenshot(joiner, "joiner-sees-host", joinerSees));
    // The joiner walks on: it leaves the host's view, and leaves the host
    // behind its own.
    ASSERT_NO_FATAL_FAILURE(holdTogether({{&joiner, "w"}}));
    ASSERT_NO_FATAL_FAILURE(screenshot(host, "host-alone", hostAlone));
    ASSERT_NO_FATAL_FAILURE(screenshot(joiner, "joiner-alone", joinerAlone));
    EXPECT_GT(changedShare(hostSees, hostAlone), 0.5)
        << "the host does not show the joiner's walker ahead; screenshots in " << temp.path();
    EXPECT_GT(changedShare(joinerSees, joinerAlone), 0.5)
        << "the joiner does not show the host's walker ahead; screenshots in " << temp.path();

    // The server dies mid-mission: both games go on past the lobby's time-out.
    ASSERT_TRUE(lobby.stop(SIGKILL, 10s));
    const auto killed = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - killed < 11s) {
        ASSERT_TRUE(host.waitFrames(1)) << "the host stopped showing frames";
        ASSERT_TRUE(joiner.waitFrames(1)) << "the joiner stopped showing frames";
    }

    ASSERT_NO_FATAL_FAILURE(host.press("ctrl+w"));
    ASSERT_NO_FATAL_FAILURE(joiner.press("ctrl+w"));
    const ProgramRun hosted = host.finish();
    const ProgramRun joined = joiner.finish();
    expectCleanExit(hosted);
    expectCleanExit(joined);
    // The turns came back in the room's snapshots, each to its stop.
    EXPECT_NEAR(torsoDegrees(hosted.out), -90.0, 0.5);
    EXPECT_NEAR(torsoDegrees(joined.out), 90.0, 0.5);
    EXPECT_EQ(hosted.err.find("Co-op session: "), std::string::npos) << hosted.err;
}

TEST_F(CoopProgram, MalformedRoomStatesEndTheSessionNotTheGame) {
    coop::Transport scripted(true, "127.0.0.1", 0);
    KeyboardGame game;
    ASSERT_NO_FATAL_FAILURE(
        start(game, "Bea", {"--join", "ABCDEF", "--server", "127.0.0.1:" + std::to_string(scripted.port())}));
    // The server end answers at once, not once per frame, so that a slow
    // frame rate does not stretch the connection's handshake.
    ENetPeer* peer = nullptr;
    bool joined = false;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!joined && std::chrono::steady_clock::now() < deadline && !programEnded(game.running)) {
        for (coop::Event& e : scripted.poll()) {
            if (e.kind == coop::Event::kConnect) peer = e.peer;
            if (e.kind == coop::Event::kMessage && e.message.value("op", "") == "join") joined = true;
        }
        std::this_thread::sleep_for(2ms);
    }
    if (!joined) {
        if (!programEnded(game.running)) kill(game.running.pid, SIGKILL);
        const ProgramRun ended = game.finish();
        FAIL() << "the game did not ask to join: " << ended.out << ended.err;
    }
    scripted.send(peer, {{"type", "welcome"}, {"id", 7}, {"voice", nullptr}}, coop::kLobbyChannel);
    scripted.send(peer, {{"type", "state"}, {"revision", 1}, {"room", "one"}}, coop::kLobbyChannel);
    scripted.flush();
    for (int i = 0; i < 30; ++i) {
        scripted.poll();
        ASSERT_TRUE(game.waitFrames(1)) << "the game stopped showing frames";
    }
    ASSERT_NO_FATAL_FAILURE(game.press("ctrl+w"));
    const ProgramRun result = game.finish();
    expectCleanExit(result);
    EXPECT_NE(result.err.find("Co-op session: "), std::string::npos) << result.err;
}

}  // namespace
}  // namespace bastion
