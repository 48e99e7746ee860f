#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/temp_folder.h"

namespace bastion::testing_support {

// The test OpenXR runtime set up in a folder of its own: its manifest (for
// the system loader's XR_RUNTIME_JSON), the script that drives it, the log
// of the calls it received and the folder it writes released eye images to.
class TestRuntime {
public:
    explicit TestRuntime(const nlohmann::json& script);

    // "NAME=value" entries for a program run.
    std::vector<std::string> environment() const;
    // The same, set in this process (for a forked child).
    void applyEnvironment() const;

    // The logged calls, all or those of one function, in order.
    std::vector<nlohmann::json> calls(std::string_view function = {}) const;
    // Released eye images, "eye<0|1>-frame<n>.ppm".
    std::filesystem::path images() const { return folder_.path() / "images"; }

private:
    TempFolder folder_;
};

}  // namespace bastion::testing_support
