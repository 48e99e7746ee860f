#include <exception>

#include "shell/requests.h"

namespace bastion {

void applyVolumeChange(ShellSession& session, float soundBefore, float musicBefore) {
    Frontend& frontend = session.frontend;
    // Written as negated equality so that a NaN always counts as a change.
    const bool changed = !(frontend.soundVolume == soundBefore) || !(frontend.musicVolume == musicBefore);
    if (!changed) return;
    if (session.setVolumes) session.setVolumes(frontend.soundVolume, frontend.musicVolume);
    session.config.soundVolume = frontend.soundVolume;
    session.config.musicVolume = frontend.musicVolume;
    try {
        session.config.saveAudio(session.configPath);
        frontend.audioLine = "AUDIO SETTINGS SAVED";
    } catch (const std::exception& error) {
        frontend.audioLine = "AUDIO SETTINGS NOT SAVED";
        session.err << "Audio settings: " << error.what() << '\n';
    }
}

}  // namespace bastion
