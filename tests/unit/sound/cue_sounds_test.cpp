#include "sound/cue_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace velmora::sound {
namespace {

TEST(CueSounds, EachCueShortSoftAndDistinct) {
    const std::vector<int> cues = {0, 1, 2, 3, 13, 14, 31, 35, 36, 37};
    std::vector<PcmSound> sounds;
    for (int cue : cues) {
        EXPECT_TRUE(HasCueSound(cue)) << cue;
        sounds.push_back(MakeCueSound(cue));
    }
    sounds.push_back(MakeBeepSound());
    for (const PcmSound& sound : sounds) {
        ASSERT_GT(sound.rate, 0);
        const double seconds = static_cast<double>(sound.samples.size()) / sound.rate;
        EXPECT_GE(seconds, 0.02);
        EXPECT_LE(seconds, 0.4);  // a cue must not hold up the next word
        // Starting and ending at rest is what keeps them from clicking.
        EXPECT_LT(std::abs(sound.samples.front()), 200);
        EXPECT_LT(std::abs(sound.samples.back()), 200);
        int peak = 0;
        for (std::int16_t s : sound.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 4000);
        EXPECT_LT(peak, 32000);
    }
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        for (std::size_t j = i + 1; j < sounds.size(); ++j) {
            EXPECT_NE(sounds[i].samples, sounds[j].samples) << i << " and " << j;
        }
    }
    for (int other : {-1, 4, 12, 38, kBeepKey}) {
        EXPECT_FALSE(HasCueSound(other));
        EXPECT_EQ(MakeCueSound(other).samples, MakeBeepSound().samples);
    }
}

}  // namespace
}  // namespace velmora::sound
