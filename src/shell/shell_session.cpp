#include "shell/shell_session.h"

namespace bastion {

void grabMouse(ShellSession& session) {
    if (session.setRelativeMouse && !session.frameLimited) session.setRelativeMouse(true);
}

void releaseMouse(ShellSession& session) {
    if (session.setRelativeMouse) session.setRelativeMouse(false);
}

}  // namespace bastion
