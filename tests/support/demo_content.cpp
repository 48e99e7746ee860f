#include "support/demo_content.h"

#include "support/content/demo_tree.h"
#include "support/temp_folder.h"

namespace bastion::testing_support {

const std::filesystem::path& demoContent() {
    static const TempFolder folder("demo-content");
    static const std::filesystem::path retail = writeDemoTree(folder.path());
    return retail;
}

}  // namespace bastion::testing_support
