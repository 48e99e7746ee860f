#include <algorithm>
#include <cmath>

#include "audio/audio.h"
#include "audio/internal/device_lock.h"
#include "audio/internal/effect_choice.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kPanWidth = 0.6f;

// The music the frame wants: the mission's track while playing, the menu
// music in the menus, silence without focus.
int wantedTrack(const World& world, bool playing, bool menus) {
    if (playing && !menus) {
        // The second campaign's twenty missions share the sixteen tracks.
        if (world.campaign != 0 && world.missionIndex >= 0) return world.missionIndex & 15;
        return world.missionIndex;
    }
    return menus ? Audio::kMenuMusic : Audio::kSilence;
}

}  // namespace

void Audio::update(World& world, bool playing, bool menus) {
    if (device == 0) {
        world.sounds.clear();
        return;
    }
    const DeviceLock lock(device);
    if (!playing) {
        voices.clear();
        world.sounds.clear();
    }

    if (music) {
        const int wanted = wantedTrack(world, playing, menus);
        const bool startedOver = playing && wanted == track && lastClock > world.missionTime;
        if (wanted != track || startedOver) {
            if (wanted == kMenuMusic) {
                music->select(Music::kMenuSong);
            } else {
                music->start(wanted);
            }
            track = wanted;
        }
    }
    lastClock = world.missionTime;
    musicOn = playing || menus;

    const Pilot& pilot = world.pilot;
    if (playing && pilot.status == kStatusKilled) {
        if (!alarmOn) {
            alarmTime = static_cast<double>(pilot.ejection);
            alarmPhase = 0.0;
        }
        alarmOn = true;
    } else {
        alarmOn = false;
    }

    const Vec3 listener = eyePosition(pilot);
    const float heading = torsoHeading(pilot);
    for (const SoundEvent& event : world.sounds) {
        const std::optional<EffectChoice> choice = chooseEffect(event, world.campaign != 0);
        if (!choice) continue;
        const std::vector<float>& samples = banks[choice->bank][choice->effect];
        if (samples.empty()) continue;
        const float dx = event.position.x - listener.x;
        const float dy = event.position.y - listener.y;
        const float dz = event.position.z - listener.z;
        const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!std::isfinite(d)) continue;  // a sound from nowhere plays nothing
        const float pan = d <= 1.0f ? 0.0f
                                    : std::clamp((dx * std::cos(heading) - dz * std::sin(heading)) / d, -1.0f, 1.0f);
        const float gain = 0.45f / (1.0f + 0.012f * d) * choice->gainScale;
        if (voices.size() == kMaxVoices) voices.erase(voices.begin());
        voices.push_back({&samples, 0, gain * (1.0f - kPanWidth * pan), gain * (1.0f + kPanWidth * pan)});
    }
    world.sounds.clear();
}

}  // namespace bastion
