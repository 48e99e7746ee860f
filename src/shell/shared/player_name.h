#pragma once

#include <string>

namespace bastion {

// The name with spaces trimmed from both ends; throws std::runtime_error
// when it is blank, longer than 20 characters or not printable ASCII.
std::string validatePlayerName(std::string name);

}  // namespace bastion
