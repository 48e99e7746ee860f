#pragma once

#include <memory>

#include "coop/client.h"
#include "coop/connection_keeper.h"
#include "voice/chat/chat.h"
#include "world/math.h"

namespace bastion {

// A co-op session of the shell: the lobby client and the radio voice chat,
// with what the shell last saw of the room. Both objects exist from a
// successful start until the player leaves; the chat is released first.
// The keeper lives exactly as long as the client and goes before it.
struct CoopSession {
    std::unique_ptr<coop::Client> client;
    std::unique_ptr<coop::ConnectionKeeper> keeper;
    std::unique_ptr<vant::voice::Chat> chat;
    int lastPhase = -1;
    int lastMission = -1;
    u64 lastRound = 0;
    u64 lastSelection = 0;
    bool voiceConfigured = false;

    bool active() const { return client != nullptr || chat != nullptr; }
};

}  // namespace bastion
