#pragma once

#include <filesystem>

#include "world/world.h"

// A player made of test code, to find out whether the demo missions can be
// learnt and won. Each frame it holds keys and moves the mouse as a desktop
// player does, and the shell's desktop mapping (shell/desktop_input.h) turns
// these into the Input for World::step: walking, body and torso turns are
// keys held for whole frames (-1, 0 or +1), the look and the hands (moved
// with Z or C held) follow the mouse in whole pixels.
namespace bastion::testing_support {

inline constexpr float kPlayFrame = 1.0f / 30.0f;

// The loadout of a player who took every weapon the campaign gave for the
// missions before `mission`, played in order.
Loadout loadoutBefore(int campaign, int mission);

// A campaign mission as the game deploys it: a fresh World on the normal
// difficulty of a new campaign, armed with `loadout`.
World deployedMission(const std::filesystem::path& root, int campaign, int mission, const Loadout& loadout);

struct PlayResult {
    int status = 0;
    float time = 0.0f;    // mission time at the end of play
    float health = 0.0f;
};

// A pilot who touches neither keys nor mouse, until the outcome or `seconds`.
PlayResult playStill(World& world, float seconds);

// The scripted player, until the outcome or `seconds`.
PlayResult playScripted(World& world, float seconds);

}  // namespace bastion::testing_support
