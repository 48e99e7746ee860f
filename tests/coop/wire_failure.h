#pragma once

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

namespace bastion::coop::testing {

// What `action` threw: "type error" or "out of range" for those exceptions of
// the JSON library, any other exception's text, or "accepted".
template <class Action>
std::string wireFailure(Action&& action) {
    try {
        action();
    } catch (const nlohmann::json::type_error&) {
        return "type error";
    } catch (const nlohmann::json::out_of_range&) {
        return "out of range";
    } catch (const std::exception& error) {
        return error.what();
    }
    return "accepted";
}

}  // namespace bastion::coop::testing
