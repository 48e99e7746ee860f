#include "coop/connection_keeper.h"

namespace bastion::coop {

ConnectionKeeper::ConnectionKeeper(Client& client) : client_(client), thread_([this] { run(); }) {}

ConnectionKeeper::~ConnectionKeeper() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ConnectionKeeper::run() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kHeldUp / 4, [this] { return stopping_; })) {
        lock.unlock();
        client_.answerWhileHeldUp(kHeldUp);
        lock.lock();
    }
}

}  // namespace bastion::coop
