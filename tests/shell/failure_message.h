#pragma once

#include <exception>
#include <string>

namespace bastion {

// The message of what `action` throws, or "no failure".
template <class Action>
std::string failureMessage(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no failure";
}

}  // namespace bastion
