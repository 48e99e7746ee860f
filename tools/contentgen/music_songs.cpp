#include "contentgen/music_songs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "contentgen/music_instruments.h"

namespace bastion::contentgen {
namespace {

constexpr int kTicksPerSecond = 1024;
constexpr int kBars = 16;
constexpr std::array<int, 7> kMajor = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor = {0, 2, 3, 5, 7, 8, 10};

enum Voice : std::uint32_t { kBassVoice, kArpA, kArpB, kLeadVoice, kKickVoice, kSnareVoice, kHatVoice, kPadVoice };

struct SongPlan {
    int bpm;
    int tonic;  // MIDI note of the key's tonic, octave 3
    bool minor;
    std::array<int, 4> progression;  // scale degrees, one chord per bar
    bool drums;
    std::uint32_t lead;
    std::uint32_t seed;
};

// Mission songs are minor and driven by drums; the menu song is calm.
constexpr std::array<SongPlan, 7> kPlans = {{
    {128, 57, true, {0, 5, 2, 6}, true, kBrass, 0x51A7u},
    {112, 50, true, {0, 3, 6, 2}, true, kBell, 0x0B17u},
    {136, 52, true, {0, 6, 5, 6}, true, kBrass, 0x7E44u},
    {100, 48, true, {0, 0, 5, 4}, true, kBell, 0x3C19u},
    {120, 55, true, {0, 2, 6, 3}, true, kBrass, 0x9AD2u},
    {124, 53, false, {0, 4, 5, 3}, true, kBrass, 0x44E1u},
    {84, 50, false, {0, 5, 3, 4}, false, kBell, 0x1F3Bu},
}};

class Composer {
public:
    explicit Composer(const SongPlan& plan)
        : plan_(plan), beat_(static_cast<double>(kTicksPerSecond) * 60.0 / plan.bpm), random_(plan.seed) {}

    std::vector<ScoreEvent> compose() {
        for (int bar = 0; bar < kBars; ++bar) {
            const int degree = plan_.progression[bar % 4];
            pad(bar, degree);
            bass(bar, degree);
            arpeggio(bar, degree);
            if (plan_.drums) drums(bar);
            if (bar >= kBars / 2) melody(bar, degree);
        }
        std::stable_sort(events_.begin(), events_.end(),
                         [](const ScoreEvent& a, const ScoreEvent& b) { return a.time < b.time; });
        // Back to the first event, for as long as the song plays.
        const auto count = static_cast<std::int32_t>(events_.size());
        events_.push_back({tick(kBars * 4.0), loopEvent(kEndlessLoop, -(count + 1))});
        return events_;
    }

private:
    std::uint32_t tick(double beats) const { return static_cast<std::uint32_t>(std::lround(beats * beat_)); }

    int scaleNote(int index) const {
        const std::array<int, 7>& scale = plan_.minor ? kMinor : kMajor;
        return plan_.tonic + 12 * (index / 7) + scale[index % 7];  // index >= 0
    }

    // The chord's notes: root, third, fifth.
    std::array<int, 3> triad(int degree) const {
        return {scaleNote(degree), scaleNote(degree + 2), scaleNote(degree + 4)};
    }

    void note(double beat, Voice voice, std::uint32_t instrument, int midi, std::uint32_t velocity) {
        events_.push_back({tick(beat), noteOn(voice, instrument, notePitch(midi), velocity)});
    }
    void drum(double beat, Voice voice, std::uint32_t instrument, std::uint32_t velocity) {
        events_.push_back({tick(beat), noteOn(voice, instrument, kDrumPitch, velocity)});
    }

    std::uint32_t random(std::uint32_t range) {
        random_ ^= random_ << 13;
        random_ ^= random_ >> 17;
        random_ ^= random_ << 5;
        return random_ % range;
    }

    void pad(int bar, int degree) {
        const std::array<int, 3> chord = triad(degree);
        const bool minorChord = chord[1] - chord[0] == 3;
        int root = chord[0];
        while (root < 55) root += 12;
        while (root > 66) root -= 12;
        // Alternating voices let the last chord fade while the next swells.
        const Voice voice = plan_.drums || bar % 2 == 0 ? kPadVoice : kHatVoice;
        note(bar * 4.0, voice, minorChord ? kPadMinor : kPadMajor, root, plan_.drums ? 84 : 100);
    }

    void bass(int bar, int degree) {
        int root = triad(degree)[0];
        while (root >= 48) root -= 12;
        while (root < 36) root += 12;
        if (!plan_.drums) {
            note(bar * 4.0, kBassVoice, kBass, root, 96);
            note(bar * 4.0 + 2.0, kBassVoice, kBass, root + 7, 80);
            return;
        }
        static constexpr int kSteps[8] = {0, 0, 12, 0, 0, 7, 12, 0};
        for (int i = 0; i < 8; ++i) note(bar * 4.0 + i * 0.5, kBassVoice, kBass, root + kSteps[i], i % 2 == 0 ? 104 : 82);
    }

    void arpeggio(int bar, int degree) {
        const std::array<int, 3> chord = triad(degree);
        int base = chord[0];
        while (base < 60) base += 12;
        const int tones[4] = {base, chord[1] - chord[0] + base, chord[2] - chord[0] + base, base + 12};
        static constexpr int kOrder[8] = {0, 1, 2, 3, 2, 1, 2, 1};
        const double step = plan_.drums ? 0.25 : 0.5;
        const int count = static_cast<int>(4.0 / step);
        for (int i = 0; i < count; ++i) {
            const Voice voice = i % 2 == 0 ? kArpA : kArpB;
            const std::uint32_t velocity = (i * step) == std::floor(i * step) ? 84 : 66;
            note(bar * 4.0 + i * step, voice, kPiano, tones[kOrder[i % 8]], plan_.drums ? velocity - 10 : velocity);
        }
    }

    void drums(int bar) {
        const double start = bar * 4.0;
        drum(start, kKickVoice, kKick, 120);
        drum(start + 2.0, kKickVoice, kKick, 112);
        if (bar % 2 == 1) drum(start + 2.75, kKickVoice, kKick, 90);
        drum(start + 1.0, kSnareVoice, kSnare, 108);
        if (bar % 8 == 7) {
            for (int i = 0; i < 4; ++i) drum(start + 3.0 + i * 0.25, kSnareVoice, kSnare, 70 + 12 * i);
        } else {
            drum(start + 3.0, kSnareVoice, kSnare, 108);
        }
        for (int i = 0; i < 8; ++i) drum(start + i * 0.5, kHatVoice, kHat, i % 2 == 0 ? 96 : 64);
    }

    void melody(int bar, int degree) {
        static constexpr std::array<std::array<double, 4>, 5> kRhythms = {{
            {1.0, 1.0, 1.0, 1.0},
            {1.5, 0.5, 1.0, 1.0},
            {2.0, 1.0, 1.0, 0.0},
            {0.5, 0.5, 1.0, 2.0},
            {1.0, 0.5, 0.5, 2.0},
        }};
        const std::array<int, 3> chord = triad(degree);
        // Scale positions of the tones the melody may use: two octaves up.
        const int low = 7;
        const int high = 7 + 9;
        if (melodyIndex_ < 0) melodyIndex_ = low + 2;
        double beat = bar * 4.0;
        if (bar == kBars - 1) {
            note(beat, kLeadVoice, plan_.lead, scaleNote(melodyIndex_ >= low + 4 ? low + 7 : low), 100);  // home on the tonic
            return;
        }
        for (const double length : kRhythms[random(kRhythms.size())]) {
            if (length <= 0.0) break;
            if (beat == bar * 4.0) {
                // Strong beats land on a chord tone near the last note.
                int best = melodyIndex_;
                int bestDistance = 99;
                for (int index = low; index <= high; ++index) {
                    const int pitchClass = ((scaleNote(index) - chord[0]) % 12 + 12) % 12;
                    const bool chordTone = pitchClass == 0 || pitchClass == chord[1] - chord[0] ||
                                           pitchClass == chord[2] - chord[0];
                    if (chordTone && std::abs(index - melodyIndex_) < bestDistance) {
                        best = index;
                        bestDistance = std::abs(index - melodyIndex_);
                    }
                }
                melodyIndex_ = best;
            } else {
                static constexpr int kMoves[6] = {-2, -1, -1, 1, 1, 2};
                melodyIndex_ = std::clamp(melodyIndex_ + kMoves[random(6)], low, high);
            }
            note(beat, kLeadVoice, plan_.lead, scaleNote(melodyIndex_), beat == bar * 4.0 ? 104 : 92);
            beat += length;
        }
    }

    SongPlan plan_;
    double beat_;  // ticks per beat
    std::uint32_t random_;
    int melodyIndex_ = -1;
    std::vector<ScoreEvent> events_;
};

}  // namespace

std::vector<ScoreEvent> demoSong(int song) { return Composer(kPlans.at(static_cast<std::size_t>(song))).compose(); }

}  // namespace bastion::contentgen
