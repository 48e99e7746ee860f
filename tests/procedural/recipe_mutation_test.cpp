#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "procedural/recipe_fixtures.h"
#include "procedural/recipe_validation.h"

// Deletes and retypes every value of valid recipes, one at a time, and checks
// that the validators only ever answer with std::runtime_error carrying one of
// their two prefixes: never a JSON access error, never a crash (the test build
// runs under AddressSanitizer and UBSan).
namespace bastion {
namespace {

using fixtures::json;

void collectPointers(const json& value, const json::json_pointer& at,
                     std::vector<json::json_pointer>& out) {
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) {
            out.push_back(at / key);
            collectPointers(member, at / key, out);
        }
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            out.push_back(at / i);
            collectPointers(value[i], at / i, out);
        }
    }
}

std::vector<json> replacements() {
    return {
        nullptr,
        true,
        0,
        -1,
        1,
        7,
        4294967296u,
        std::numeric_limits<std::uint64_t>::max(),
        std::numeric_limits<std::int64_t>::min(),
        0.5,
        -0.0,
        1e300,
        -1e300,
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
        "",
        "strike",
        json::array(),
        json::array({1, 2}),
        json::array({0, 0, 0, 0}),
        json::array({"a", "b", "c", "d"}),
        json::object(),
        json::object({{"node", 0}, {"radius", 8}}),
    };
}

enum class Outcome { Passed, Refused, Escaped };

Outcome run(void (*validator)(const json&), const json& recipe, std::string& what) {
    try {
        validator(recipe);
        return Outcome::Passed;
    } catch (const std::runtime_error& error) {
        what = error.what();
        const bool prefixed = what.rfind("Invalid procedural recipe: ", 0) == 0 ||
                              what.rfind("Invalid procedural terrain: ", 0) == 0;
        return prefixed ? Outcome::Refused : Outcome::Escaped;
    } catch (const std::exception& error) {
        what = error.what();
        return Outcome::Escaped;
    } catch (...) {
        what = "unknown exception";
        return Outcome::Escaped;
    }
}

void expectOnlyRuntimeErrors(const json& recipe) {
    std::string what;
    ASSERT_EQ(run(validateProceduralRecipe, recipe, what), Outcome::Passed) << what;

    std::vector<json::json_pointer> pointers;
    collectPointers(recipe, json::json_pointer(), pointers);
    const std::vector<json> values = replacements();
    int refused = 0;
    for (const auto& pointer : pointers) {
        std::vector<json> mutants;
        json deleted = recipe;
        json& parent = deleted[pointer.parent_pointer()];
        if (parent.is_array()) {
            parent.erase(std::stoul(pointer.back()));
        } else {
            parent.erase(pointer.back());
        }
        mutants.push_back(std::move(deleted));
        for (const auto& value : values) {
            json retyped = recipe;
            retyped[pointer] = value;
            mutants.push_back(std::move(retyped));
        }
        for (const auto& mutant : mutants) {
            for (auto* validator : {validateProceduralRecipe, validateProceduralTerrain}) {
                const Outcome outcome = run(validator, mutant, what);
                EXPECT_NE(outcome, Outcome::Escaped)
                    << pointer.to_string() << " -> " << mutant[pointer.parent_pointer()].dump()
                    << ": " << what;
                refused += outcome == Outcome::Refused ? 1 : 0;
            }
        }
    }
    // Most mutations must actually be caught, or the test proves nothing.
    EXPECT_GT(refused, static_cast<int>(pointers.size()));
}

TEST(ProceduralRecipeMutation, StrikeRecipeOnlyEverThrowsRuntimeErrors) {
    expectOnlyRuntimeErrors(fixtures::strikeRecipeV3());
}

TEST(ProceduralRecipeMutation, OlderVersionsOnlyEverThrowRuntimeErrors) {
    json v2 = fixtures::strikeRecipeV3();
    v2["version"] = 2;
    expectOnlyRuntimeErrors(v2);
    json v1 = v2;
    v1["version"] = 1;
    v1["mission"]["kind"] = "eliminate";
    for (auto& objective : v1["objectives"]) {
        objective["kind"] = "encounter";
    }
    expectOnlyRuntimeErrors(v1);
}

}  // namespace
}  // namespace bastion
