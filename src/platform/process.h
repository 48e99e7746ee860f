#pragma once

namespace bastion::platform {

// This process's id.
long processId();

}  // namespace bastion::platform
