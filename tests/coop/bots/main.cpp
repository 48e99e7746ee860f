// coopbots: the lobby server program under load and faults. Starts the
// server on loopback, plays rooms of four scripted bots against it with
// voice on, applies the scenario's fault and prints one JSON summary. Exits
// 0 when every check of the scenario passed, 1 when one failed, 2 on bad
// usage or when the run itself could not be made.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>

#include "coop/bots/scenario.h"
#include "support/demo_content.h"

namespace {

constexpr const char* kUsage =
    "Usage: coopbots [options]\n"
    "  --scenario NAME   short, soak, lossy, stop, stall, flood or flood-tiny\n"
    "                    (default short)\n"
    "  --rooms N         rooms of four bots (default: the scenario's)\n"
    "  --seconds S       measured play time (default: the scenario's)\n"
    "  --workers N       threads that drive the bots (default 4)\n"
    "  --server PATH     the lobby program (default the one built beside this tool)\n"
    "  --retail PATH     its asset root (default: generated demo content)\n"
    "  --seed N          seed of the bots' input, the proxy and the flood (default 1)\n"
    "  --flood N|max     garbage datagrams a second on each port, or as many as\n"
    "                    the sockets send (default: the scenario's)\n"
    "  --flood-size N|A-B  their length in bytes, or a range spread evenly over\n"
    "                    the orders of magnitude (default 1-65507)\n"
    "  --flood-sockets N sockets that send them, each from a thread of its own\n"
    "  --flood-port lobby|voice|both  the ports they go to (default both)\n"
    "  --priority N      nice value of the server (root may go below 0 to measure\n"
    "                    the server on a machine busy with other work)\n";

std::size_t count(const std::string& option, const std::string& text) {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used);
    if (used != text.size() || value == 0) throw std::invalid_argument(option + " needs a positive number");
    return value;
}

// The whole run has a time limit of its own, so a hang never outlives it.
void watchdog(double limitSeconds) {
    std::thread([limitSeconds] {
        std::this_thread::sleep_for(std::chrono::duration<double>(limitSeconds));
        std::cerr << "coopbots: time limit of " << limitSeconds << " s reached" << std::endl;
        std::_Exit(3);
    }).detach();
}

// "N" or "A-B", each from 1 to 65,507 bytes.
bastion::coopbots::FloodSizes floodSizes(const std::string& text) {
    const std::size_t dash = text.find('-');
    bastion::coopbots::FloodSizes sizes;
    sizes.smallest = count("--flood-size", text.substr(0, dash));
    sizes.largest = dash == std::string::npos ? sizes.smallest : count("--flood-size", text.substr(dash + 1));
    if (sizes.largest > 65507 || sizes.smallest > sizes.largest)
        throw std::invalid_argument("--flood-size needs sizes from 1 to 65507, the smaller first");
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace bastion::coopbots;
    try {
        std::string name = "short";
        std::string rooms, duration, flood, floodSize, floodSockets, floodPort, server = STORMBASTION_LOBBY_EXECUTABLE,
                                                                          retail;
        RunOptions options;
        for (int i = 1; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--help") {
                std::cout << kUsage;
                return 0;
            }
            if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
            const std::string value = argv[++i];
            if (option == "--scenario") name = value;
            else if (option == "--rooms") rooms = value;
            else if (option == "--seconds") duration = value;
            else if (option == "--flood") flood = value;
            else if (option == "--flood-size") floodSize = value;
            else if (option == "--flood-sockets") floodSockets = value;
            else if (option == "--flood-port") floodPort = value;
            else if (option == "--workers") options.workers = count(option, value);
            else if (option == "--server") server = value;
            else if (option == "--retail") retail = value;
            else if (option == "--seed") options.seed = static_cast<unsigned>(count(option, value));
            else if (option == "--priority") options.priority = std::stoi(value);
            else throw std::invalid_argument("Unknown option " + option);
        }
        std::optional<Scenario> scenario = scenarioNamed(name);
        if (!scenario) throw std::invalid_argument("Unknown scenario " + name);
        if (!rooms.empty()) scenario->rooms = count("--rooms", rooms);
        if (!duration.empty()) scenario->seconds = static_cast<double>(count("--seconds", duration));
        FloodPlan& plan = scenario->floodPlan;
        if (!flood.empty()) {
            scenario->flood = true;
            plan.perSecond = flood == "max" ? 0.0 : static_cast<double>(count("--flood", flood));
        }
        if (!floodSize.empty()) plan.sizes = floodSizes(floodSize);
        if (!floodSockets.empty()) plan.sockets = count("--flood-sockets", floodSockets);
        if (!floodPort.empty()) {
            if (floodPort != "lobby" && floodPort != "voice" && floodPort != "both")
                throw std::invalid_argument("--flood-port needs lobby, voice or both");
            plan.lobby = floodPort != "voice";
            plan.voice = floodPort != "lobby";
        }
        if (scenario->rooms * 4 > 128) throw std::invalid_argument("--rooms allows at most 32 rooms of four");
        options.server = server;
        options.retail = retail.empty() ? bastion::testing_support::demoContent().string() : retail;
        std::signal(SIGPIPE, SIG_IGN);
        watchdog(scenario->seconds + scenario->stopSeconds + 180.0);
        const nlohmann::json summary = run(*scenario, options);
        std::cout << summary.dump(2) << std::endl;
        return summary["pass"].get<bool>() ? 0 : 1;
    } catch (const std::exception& failure) {
        std::cerr << "coopbots: " << failure.what() << std::endl;
        return 2;
    }
}
