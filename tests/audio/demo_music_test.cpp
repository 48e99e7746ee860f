#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "audio/music.h"
#include "support/demo_content.h"

namespace bastion {
namespace {

// The demo songs are music: each sounds from its start, stays below full
// scale, uses several voices and keeps playing past its own length.
TEST(DemoMusic, EverySongPlaysWithinFullScale) {
    Music music(testing_support::demoContent());
    std::set<u32> songs(music.missionTracks.begin(), music.missionTracks.end());
    EXPECT_EQ(songs, (std::set<u32>{0, 1, 2, 3, 4, 5}));
    for (int song = 0; song < Music::kSongs; ++song) {
        music.select(song);
        std::vector<float> out(2 * 48000 * 45, 0.0f);  // longer than any song, to hear it start over
        music.mix(out, 48000);
        EXPECT_EQ(music.currentSong, song);
        float peak = 0.0f;
        double energyLastSecond = 0.0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            ASSERT_TRUE(std::isfinite(out[i]));
            peak = std::max(peak, std::fabs(out[i]));
            if (i >= out.size() - 2 * 48000) energyLastSecond += out[i] * out[i];
        }
        EXPECT_GT(peak, 0.2f) << song;
        EXPECT_LT(peak, 0.95f) << song;
        EXPECT_GT(energyLastSecond, 100.0) << song;
        int sounding = 0;
        for (const Music::Voice& voice : music.voices) sounding += voice.active;
        EXPECT_GE(sounding, 2) << song;
    }
}

}  // namespace
}  // namespace bastion
