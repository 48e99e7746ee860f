#include "support/test_runtime.h"

#include <cstdlib>
#include <fstream>

namespace bastion::testing_support {

TestRuntime::TestRuntime(const nlohmann::json& script) : folder_("xr-runtime") {
    std::filesystem::create_directories(images());
    const nlohmann::json manifest = {{"file_format_version", "1.0.0"},
                                     {"runtime", {{"name", "Bastion test runtime"}, {"library_path", BASTION_XR_RUNTIME}}}};
    std::ofstream(folder_.path() / "manifest.json") << manifest.dump(2);
    std::ofstream(folder_.path() / "script.json") << script.dump(2);
}

std::vector<std::string> TestRuntime::environment() const {
    return {"XR_RUNTIME_JSON=" + (folder_.path() / "manifest.json").string(),
            "BASTION_XR_SCRIPT=" + (folder_.path() / "script.json").string(),
            "BASTION_XR_LOG=" + (folder_.path() / "calls.jsonl").string(), "BASTION_XR_DUMP=" + images().string()};
}

void TestRuntime::applyEnvironment() const {
    for (const std::string& entry : environment()) {
        const std::size_t equals = entry.find('=');
        ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
}

std::vector<nlohmann::json> TestRuntime::calls(std::string_view function) const {
    std::vector<nlohmann::json> found;
    std::ifstream log(folder_.path() / "calls.jsonl");
    std::string line;
    while (std::getline(log, line)) {
        nlohmann::json call = nlohmann::json::parse(line);
        if (function.empty() || call["call"] == function) found.push_back(std::move(call));
    }
    return found;
}

}  // namespace bastion::testing_support
