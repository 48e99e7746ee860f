#pragma once

#include <vector>

#include "contentgen/score_events.h"

namespace bastion::contentgen {

// The demo's seven songs as scores: six mission songs and the menu song
// (6). Each is sixteen bars of chords, bass, arpeggios and, in its second
// half, a melody, and repeats for ever.
std::vector<ScoreEvent> demoSong(int song);

}  // namespace bastion::contentgen
