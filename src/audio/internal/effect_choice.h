#pragma once

#include <optional>

#include "world/sound_event.h"

// Internal to the audio library: which effect a sound event plays.
namespace bastion {

struct EffectChoice {
    int effect = 0;  // 0..31
    int bank = 0;  // 0 first campaign, 1 second campaign and its weapons
    float gainScale = 1.0f;
};

// The effect of `event` in the first (secondCampaign false) or second
// campaign; none for events that play nothing.
std::optional<EffectChoice> chooseEffect(const SoundEvent& event, bool secondCampaign);

}  // namespace bastion
