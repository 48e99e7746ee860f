#include "platform/process.h"

#include <unistd.h>

namespace bastion::platform {

long processId() { return static_cast<long>(::getpid()); }

}  // namespace bastion::platform
