#include "audio/internal/effect_choice.h"

#include <algorithm>
#include <array>

namespace bastion {
namespace {

constexpr int kNone = -1;
// Effect of each weapon fired, by weapon id 0..12.
constexpr std::array<int, 13> kWeaponEffects = {12, 0, 1, 6, 3, 4, 5, kNone, 7, 13, 11, 12, 9};
// Weapons above this id belong to the second campaign's bank in both.
constexpr int kLastFirstCampaignWeapon = 8;
// The second campaign's bank holds its own copies of effects 10 and up, five
// places further.
constexpr int kSecondBankShift = 5;

}  // namespace

std::optional<EffectChoice> chooseEffect(const SoundEvent& event, bool secondCampaign) {
    EffectChoice choice;
    choice.bank = secondCampaign ? 1 : 0;
    bool bankNumbered = false;  // the effect number already counts in bank 1
    switch (event.kind) {
        case SoundEvent::kFired: {
            const int weapon = std::clamp(event.weapon, 0, 12);
            choice.effect = kWeaponEffects[static_cast<std::size_t>(weapon)];
            if (secondCampaign && weapon == 8) choice.effect = 1;
            if (event.weapon > kLastFirstCampaignWeapon) {
                choice.bank = 1;
                bankNumbered = true;
            }
            break;
        }
        case SoundEvent::kStrike: choice.effect = 10; break;
        case SoundEvent::kExplosion: choice.effect = 20; break;
        case SoundEvent::kHurt: choice.effect = 14; break;
        case SoundEvent::kCutter: choice.effect = 6; break;
        case SoundEvent::kLargeExplosion: choice.effect = 22; break;
        case SoundEvent::kFootfall:  // the table's "target crushed", at half gain
            choice.effect = 10;
            choice.gainScale = 0.5f;
            break;
        default: return std::nullopt;
    }
    if (choice.effect == kNone) return std::nullopt;
    if (secondCampaign && !bankNumbered && choice.effect >= 10) choice.effect += kSecondBankShift;
    return choice;
}

}  // namespace bastion
