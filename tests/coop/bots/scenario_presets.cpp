#include "coop/bots/scenario.h"

#include <vector>

namespace bastion::coopbots {

std::optional<Scenario> scenarioNamed(const std::string& name) {
    // The short run is the CI entry: a sanitised build on a shared, often
    // overloaded machine, so it checks that everything flows, not how fast.
    Scenario s;
    s.name = name;
    if (name == "short") {
        s.rooms = 2;
        s.seconds = 4.0;
        s.flood = true;
        s.floodPlan.perSecond = 2000.0;
        s.snapshotShare = 0.0;
    } else if (name == "soak") {
        s.voiceTolerance = 0.01;
    } else if (name == "lossy") {
        s.rooms = 8;
        s.loss = 0.05;
        s.jitterMs = 30.0;
        // A snapshot of five or six datagrams is lost with any one of them:
        // 5 % loss leaves 0.95^6 = 0.74 of them, and a client's rate over
        // the window scatters by a few percent around that.
        s.snapshotShare = 0.65;
    } else if (name == "stop") {
        s.rooms = 8;
        s.seconds = 20.0;
        s.stopAt = 5.0;
        s.stopSeconds = 2.0;
        s.snapshotShare = 0.75;  // two of twenty seconds carry no snapshot
    } else if (name == "stall") {
        s.rooms = 8;
        s.seconds = 25.0;
        s.stopAt = 5.0;
        s.stopSeconds = 12.0;
        s.snapshotShare = 0.0;
        s.expectLost = true;
    } else if (name == "flood") {
        s.seconds = 30.0;
        s.flood = true;
        s.floodPlan.perSecond = 20000.0;
        s.snapshotShare = 0.8;
        // A snapshot tick of 32 rooms takes tens of milliseconds even without
        // a flood; bounded means the server never falls a snapshot period behind.
        s.stepP99Ms = 50.0;
    } else if (name == "flood-tiny") {
        // One-byte datagrams to the lobby port from four sockets as fast as
        // they go: the cheapest datagram to send, so the most of them, which
        // the server must read faster than they come.
        s.rooms = 8;
        s.seconds = 30.0;
        s.flood = true;
        s.floodPlan.perSecond = 0.0;
        s.floodPlan.sizes = {1, 1};
        s.floodPlan.sockets = 4;
        s.floodPlan.voice = false;
        s.snapshotShare = 0.9;
        s.voiceTolerance = 0.1;
    } else {
        return std::nullopt;
    }
    return s;
}

}  // namespace bastion::coopbots
