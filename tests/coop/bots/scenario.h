#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "coop/bots/garbage_flood.h"

namespace bastion::coopbots {

// One run of the harness: how many rooms of four bots play for how long,
// which fault is applied, and what the run must show to pass.
struct Scenario {
    std::string name;
    std::size_t rooms = 32;
    double seconds = 60.0;        // the measured window, once every room is deployed
    double loss = 0.0;            // share of datagrams a proxy drops, each direction
    double jitterMs = 0.0;        // a proxy delays each datagram by up to this
    bool flood = false;           // garbage datagrams, as the plan says
    FloodPlan floodPlan;
    double stopAt = 0.0;          // seconds into the window to SIGSTOP the server
    double stopSeconds = 0.0;     // for how long (0: never)
    // Pass conditions.
    double snapshotShare = 0.9;    // every client's rate against the nominal one
    double voiceTolerance = -1.0;  // relative fan-out shortfall allowed; < 0 unchecked
    double stepP99Ms = 0.0;        // bound on the server's step p99; 0 unchecked
    bool expectLost = false;       // every client must report its lost connection
};

// The named preset: "short", "soak", "lossy", "stop", "stall", "flood",
// "flood-tiny".
std::optional<Scenario> scenarioNamed(const std::string& name);

struct RunOptions {
    std::string server;  // the lobby program
    std::string retail;  // its asset root
    std::size_t workers = 4;
    unsigned seed = 1;
    std::optional<int> priority;  // the server's nice value
};

// Runs the scenario against a fresh server and returns the summary, with
// "pass" and the "checks" that decided it.
nlohmann::json run(const Scenario& scenario, const RunOptions& options);

}  // namespace bastion::coopbots
