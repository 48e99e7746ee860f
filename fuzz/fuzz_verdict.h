#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

namespace bastion::fuzzing {

// Runs `body`. A bad file may be refused with a std::runtime_error (our own
// messages) or the JSON library's exception (syntax, missing key, wrong
// type); any other exception means an unchecked path, and libFuzzer reports
// the abort as a crash. The one exception: a manifest's fragment number is
// read with std::stoul, whose own conversion errors are its refusal.
template <class Body>
void refuseOrPass(Body&& body) {
    try {
        body();
    } catch (const std::runtime_error&) {
    } catch (const nlohmann::json::exception&) {
    } catch (const std::logic_error& error) {
        if (std::string_view(error.what()) == "stoul") return;
        std::fprintf(stderr, "Unexpected exception: %s\n", error.what());
        std::abort();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Unexpected exception: %s\n", error.what());
        std::abort();
    }
}

}  // namespace bastion::fuzzing
