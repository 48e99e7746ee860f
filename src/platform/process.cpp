#include "platform/process.h"

#include <cerrno>

#include <signal.h>
#include <unistd.h>

namespace bastion::platform {

long processId() { return static_cast<long>(::getpid()); }

bool processExists(long id) {
    if (id <= 0 || static_cast<long>(static_cast<pid_t>(id)) != id) return false;
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

}  // namespace bastion::platform
