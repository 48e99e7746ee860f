#include "shell/shared/campaign_temporary.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/process.h"

namespace bastion {
namespace {

std::optional<long> decimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 18) return std::nullopt;
    long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The process id in `name` when it is a temporary name of the save named
// `saveName`.
std::optional<long> temporaryOwner(std::string_view name, const std::string& saveName) {
    const std::string prefix = saveName + ".tmp.";
    if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
    name.remove_prefix(prefix.size());
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || !decimal(name.substr(dot + 1))) return std::nullopt;
    return decimal(name.substr(0, dot));
}

}  // namespace

std::filesystem::path nextCampaignTemporary(const std::filesystem::path& save) {
    static std::atomic<unsigned long long> serial{0};
    return save.native() + ".tmp." + std::to_string(platform::processId()) + "." +
           std::to_string(serial.fetch_add(1));
}

void removeStaleCampaignTemporaries(const std::filesystem::path& save) {
    const std::filesystem::path folder = save.has_parent_path() ? save.parent_path() : ".";
    const std::string saveName = save.filename().string();
    // Best effort: a sweep that cannot read the folder must not fail the save.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<long> owner = temporaryOwner(entry->path().filename().native(), saveName);
        if (!owner || platform::processExists(*owner)) continue;
        std::error_code ignored;
        // Only the plain files that a save writes; never what a link points to.
        if (entry->symlink_status(ignored).type() == std::filesystem::file_type::regular) {
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

}  // namespace bastion
