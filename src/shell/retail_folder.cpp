#include "shell/retail_folder.h"

#include <system_error>

#include <SDL.h>

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

std::filesystem::path installedRetailFolder() { return STORMBASTION_RETAIL_FALLBACK; }

std::optional<std::filesystem::path> programFolder() {
    char* base = SDL_GetBasePath();
    if (base == nullptr) {
        return std::nullopt;
    }
    std::filesystem::path folder(base);
    SDL_free(base);
    return folder;
}

}  // namespace bastion
