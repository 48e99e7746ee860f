#pragma once

#include <functional>
#include <string>

namespace bastion::testing_support {

// What `action` threw: the exception's text, "json" for any exception of the
// JSON library (whose texts are its own), or "accepted" when it threw none.
std::string refusal(const std::function<void()>& action);

}  // namespace bastion::testing_support
