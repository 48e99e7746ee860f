#include "fuzz_files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace bastion::fuzz {

namespace {

std::filesystem::path& madeFolder() {
    static std::filesystem::path folder;
    return folder;
}

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(madeFolder(), ignored);
}

}  // namespace

const std::filesystem::path& scratchFolder() {
    std::filesystem::path& folder = madeFolder();
    if (folder.empty()) {
        std::string name = (std::filesystem::temp_directory_path() / "bastion-fuzz-files-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) std::abort();
        folder = name;
        // Every fork-mode job is a process of its own; each clears up after itself.
        std::atexit(removeScratchFolder);
    }
    return folder;
}

std::vector<std::string> splitInput(const std::uint8_t* data, std::size_t size, std::string_view separator) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = input.find(separator, start);
        if (end == std::string_view::npos) break;
        pieces.emplace_back(input.substr(start, end - start));
        start = end + separator.size();
    }
    pieces.emplace_back(input.substr(start));
    return pieces;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) std::abort();
}

void writeOrRemove(const std::filesystem::path& path, const std::vector<std::string>& pieces, std::size_t index) {
    if (index < pieces.size()) {
        writeFile(path, pieces[index]);
    } else {
        std::filesystem::remove(path);
    }
}

void reportRefusal(const std::exception& error) {
    static const bool verbose = std::getenv("BASTION_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "refused: %s\n", error.what());
}

}  // namespace bastion::fuzz
