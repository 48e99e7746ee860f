#include "shell/shared/campaign_temporary.h"

#include <atomic>
#include <string>

#include "platform/process.h"

namespace bastion {

std::filesystem::path nextCampaignTemporary(const std::filesystem::path& save) {
    static std::atomic<unsigned long long> serial{0};
    return save.native() + ".tmp." + std::to_string(platform::processId()) + "." +
           std::to_string(serial.fetch_add(1));
}

}  // namespace bastion
