#include "shell/shared/retail_choice.h"

#include <system_error>

namespace bastion {

std::filesystem::path chooseRetailFolder(const std::optional<std::filesystem::path>& programFolder,
                                         const std::filesystem::path& fallback) {
    if (programFolder) {
        for (const char* candidate : {"assets/retail", "../assets/retail"}) {
            const std::filesystem::path folder = *programFolder / candidate;
            std::error_code error;
            if (std::filesystem::is_regular_file(folder / "manifest.json", error)) {
                return folder;
            }
        }
    }
    return fallback;
}

}  // namespace bastion
