#include "shell/retail_folder.h"

#include <SDL.h>

namespace bastion {

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
