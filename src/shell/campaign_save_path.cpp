#include "shell/campaign_save_path.h"

namespace bastion {

std::filesystem::path campaignSavePath(const std::filesystem::path& savePath, int campaign) {
    if (campaign != 1) {
        return savePath;
    }
    std::filesystem::path name = savePath.stem();
    name += "-sb2";
    name += savePath.extension();
    return savePath.parent_path() / name;
}

}  // namespace bastion
