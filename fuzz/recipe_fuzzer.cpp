#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "procedural/recipe_validation.h"

namespace {

bool prefixed(const std::string& text) {
    return text.rfind("Invalid procedural recipe: ", 0) == 0 ||
           text.rfind("Invalid procedural terrain: ", 0) == 0;
}

// A refusal must be a std::runtime_error with one of the two prefixes; any
// other exception escapes and libFuzzer reports it as a crash.
void refuseOrPass(void (*validator)(const nlohmann::json&), const nlohmann::json& recipe) {
    try {
        validator(recipe);
    } catch (const std::runtime_error& error) {
        if (!prefixed(error.what())) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const nlohmann::json recipe = nlohmann::json::parse(data, data + size, nullptr, false);
    if (recipe.is_discarded()) {
        return 0;
    }
    refuseOrPass(bastion::validateProceduralRecipe, recipe);
    // The terrain builder calls this one on its own as well.
    refuseOrPass(bastion::validateProceduralTerrain, recipe);
    return 0;
}
