#include "support/content/demo_tree.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

#include "contentgen/content_tree.h"

namespace bastion::testing_support {
namespace {

void removeOrphanTrees(const std::filesystem::path& temp, std::string_view prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(temp, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const long owner = std::stol(digits);
        if (::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), error);
    }
}

std::filesystem::path processFolder;

void removeProcessFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(processFolder, ignored);
}

}  // namespace

std::filesystem::path writeDemoTree(const std::filesystem::path& folder) {
    const std::filesystem::path retail = folder / "retail";
    contentgen::writeContentTree(retail);
    contentgen::writeSystemFolder(retail);
    return retail;
}

const std::filesystem::path& processDemoTree(std::string_view prefix) {
    static std::once_flag once;
    static std::filesystem::path retail;
    std::call_once(once, [prefix] {
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        removeOrphanTrees(temp, prefix);
        processFolder = temp / (std::string(prefix) + std::to_string(::getpid()));
        std::filesystem::remove_all(processFolder);
        retail = writeDemoTree(processFolder);
        std::atexit(removeProcessFolder);
    });
    return retail;
}

}  // namespace bastion::testing_support
