#include "support/refusal.h"

#include <exception>

#include <nlohmann/json.hpp>

namespace bastion::testing_support {

std::string refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const nlohmann::json::exception&) {
        return "json";
    } catch (const std::exception& error) {
        return error.what();
    }
    return "accepted";
}

}  // namespace bastion::testing_support
