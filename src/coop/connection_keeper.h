#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "coop/client.h"

namespace bastion::coop {

// A thread that answers the lobby for a Client whenever its frame loop is
// held up: the lobby gives up on a peer that leaves its messages unanswered
// for 3 to 8 s, and one frame of a mission load or of a first draw on a busy
// machine can take longer. Made after the Client and destroyed before it.
class ConnectionKeeper {
public:
    explicit ConnectionKeeper(Client& client);
    ~ConnectionKeeper();
    ConnectionKeeper(const ConnectionKeeper&) = delete;
    ConnectionKeeper& operator=(const ConnectionKeeper&) = delete;

    // A frame loop this long without an update counts as held up; well
    // below the lobby's shortest time-out, well above a slow frame.
    static constexpr std::chrono::milliseconds kHeldUp{400};

private:
    void run();

    Client& client_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace bastion::coop
