#pragma once

#include <string>

namespace bastion::testing_support {

// Sets an environment variable for the life of this object, restoring the
// old value (or its absence) afterwards. A null value unsets it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool wasSet_;
};

}  // namespace bastion::testing_support
