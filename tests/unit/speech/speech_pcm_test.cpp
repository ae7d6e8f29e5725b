// The samples between espeak-ng and the sound device: the queue that ends
// speech once, and the feed that doubles the rate for the device.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "speech/drivers/pcm_queue.h"
#include "speech/drivers/pcm_stream.h"

namespace velmora::speech {
namespace {

TEST(PcmQueue, TheLastSampleOfAFinishedUtteranceEndsSpeechOnce) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Busy());
    q.Begin(1);
    const int16_t a[] = {1, 2, 3, 4, 5, 6};
    q.Append(1, a, 6);
    EXPECT_FALSE(q.Read(out, 4));  // not finished yet
    EXPECT_EQ(out[3], 4);
    EXPECT_FALSE(q.Finish(1));      // samples still waiting
    EXPECT_TRUE(q.Busy());
    EXPECT_TRUE(q.Read(out, 4));   // 5, 6, then silence
    EXPECT_EQ(out[1], 6);
    EXPECT_EQ(out[2], 0);
    EXPECT_FALSE(q.Busy());
    EXPECT_FALSE(q.Read(out, 4));  // silence is no second end
    EXPECT_EQ(q.SamplesOut(), 6u);

    // Played out before synthesis finished: Finish itself ends it.
    q.Begin(1);
    q.Append(1, a, 2);
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_TRUE(q.Finish(1));
    EXPECT_FALSE(q.Finish(1));
}

TEST(PcmQueue, ClearingCutsOffWithoutALaterEnd) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Clear());  // nothing to cut
    q.Begin(1);
    const int16_t a[] = {1, 2, 3};
    q.Append(1, a, 3);
    EXPECT_TRUE(q.Clear());
    EXPECT_FALSE(q.Busy());
    q.Append(1, a, 3);            // late samples of the cut utterance are dropped
    EXPECT_FALSE(q.Finish(1));
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_EQ(out[0], 0);

    // The next text has begun when the synthesiser's last words on the cut
    // one arrive: they neither sound in it nor end it.
    q.Begin(2);
    const int16_t b[] = {7, 8};
    q.Append(2, b, 2);
    q.Append(1, a, 3);
    EXPECT_FALSE(q.Finish(1));
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_EQ(std::vector<int16_t>(out, out + 4), (std::vector<int16_t>{7, 8, 0, 0}));
    EXPECT_TRUE(q.Busy());
    EXPECT_TRUE(q.Finish(2));
}

// Frames of a feed as mono values (both channels must agree), in calls of
// the given sizes; `ends` counts the calls that reported the end of speech.
std::vector<float> FeedFrames(PcmFeed& feed, const std::vector<size_t>& calls, int* ends) {
    std::vector<float> mono;
    for (const size_t frames : calls) {
        std::vector<float> out(2 * frames, 99.0f);
        if (feed.Fill(out.data(), frames)) ++*ends;
        for (size_t i = 0; i < frames; ++i) {
            EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "frame " << i;
            mono.push_back(out[2 * i]);
        }
    }
    return mono;
}

TEST(PcmFeed, EachSampleTwiceAsMeanThenItselfWhateverTheDeviceAsksAtATime) {
    // 16384 is 0.5: the mean with the sample before, then the sample.
    const std::vector<float> expected = {0.25f, 0.5f, 0.0f, -0.5f, -0.25f, 0.0f, 0.0f, 0.0f};
    const std::vector<std::vector<size_t>> callSizes = {
        {8}, {1, 1, 1, 1, 1, 1, 1, 1}, {3, 5}, {1, 4, 3}, {5, 0, 3}, {7, 1}};
    for (const auto& calls : callSizes) {
        PcmQueue q;
        PcmFeed feed(q);
        q.Begin(1);
        const int16_t a[] = {16384, -16384, 0};
        q.Append(1, a, 3);
        q.Finish(1);
        int ends = 0;
        EXPECT_EQ(FeedFrames(feed, calls, &ends), expected) << "first call " << calls[0];
        EXPECT_EQ(ends, 1) << "first call " << calls[0];
    }
}

TEST(PcmFeed, ANewTextCutsTheOldOneOffAtTheNextBuffer) {
    const std::vector<size_t> firstCalls = {1, 3, 4, 5};  // odd ones leave half a sample behind
    for (const size_t first : firstCalls) {
        PcmQueue q;
        PcmFeed feed(q);
        q.Begin(1);
        const std::vector<int16_t> old(100, 8192);  // 0.25
        q.Append(1, old.data(), old.size());
        int ends = 0;
        FeedFrames(feed, {first}, &ends);
        q.Clear();
        q.Begin(1);
        const std::vector<int16_t> next(4, -8192);
        q.Append(1, next.data(), next.size());
        const std::vector<float> heard = FeedFrames(feed, {6}, &ends);
        EXPECT_EQ(heard, (std::vector<float>{-0.125f, -0.25f, -0.25f, -0.25f, -0.25f, -0.25f}))
            << "after " << first;
        EXPECT_EQ(ends, 0);
    }
}

}  // namespace
}  // namespace velmora::speech
