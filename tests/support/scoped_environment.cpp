#include "support/scoped_environment.h"

#include <cstdlib>

namespace bastion::testing_support {

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    wasSet_ = old != nullptr;
    if (wasSet_) old_ = old;
    if (value != nullptr) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    if (wasSet_) {
        ::setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

}  // namespace bastion::testing_support
