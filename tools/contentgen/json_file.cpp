#include "contentgen/json_file.h"

#include <fstream>
#include <stdexcept>

namespace bastion::contentgen {

void writeJsonFile(const std::filesystem::path& path, const nlohmann::json& document) {
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (stream) stream << document.dump(1) << '\n';
    if (!stream) throw std::runtime_error("Cannot write content file: " + path.string());
}

}  // namespace bastion::contentgen
