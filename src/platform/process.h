#pragma once

namespace bastion::platform {

// This process's id.
long processId();

// False only when no process with id `id` exists; a process that this one
// may not signal still exists.
bool processExists(long id);

}  // namespace bastion::platform
