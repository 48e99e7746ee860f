#include "shell/shared/player_name.h"

#include <stdexcept>

namespace bastion {

std::string validatePlayerName(std::string name) {
    // Only the space counts as a blank: a tab is refused as unprintable.
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) throw std::runtime_error("Player name cannot be blank");
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.size() > 20) throw std::runtime_error("Player name must be at most 20 characters");
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126) {
            throw std::runtime_error("Player name must use printable ASCII characters");
        }
    }
    return name;
}

}  // namespace bastion
