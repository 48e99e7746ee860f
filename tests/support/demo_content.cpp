#include "support/demo_content.h"

#include "contentgen/content_tree.h"
#include "support/temp_folder.h"

namespace bastion::testing_support {

const std::filesystem::path& demoContent() {
    static const TempFolder folder("demo-content");
    static const bool written = (contentgen::writeContentTree(folder.path()), true);
    static_cast<void>(written);
    return folder.path();
}

}  // namespace bastion::testing_support
