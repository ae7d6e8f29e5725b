// The speech outputs' own rules, and espeak-ng for real (no sound card needed).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "speech/espeak_output.h"
#include "speech/open_speech.h"
#include "speech/pcm_queue.h"
#include "speech/speech_router.h"
#include "speech/speechd_output.h"

namespace velmora::speech {
namespace {

TEST(PcmQueue, TheLastSampleOfAFinishedUtteranceEndsSpeechOnce) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Busy());
    q.Begin();
    const int16_t a[] = {1, 2, 3, 4, 5, 6};
    q.Append(a, 6);
    EXPECT_FALSE(q.Read(out, 4));  // not finished yet
    EXPECT_EQ(out[3], 4);
    EXPECT_FALSE(q.Finish());      // samples still waiting
    EXPECT_TRUE(q.Busy());
    EXPECT_TRUE(q.Read(out, 4));   // 5, 6, then silence
    EXPECT_EQ(out[1], 6);
    EXPECT_EQ(out[2], 0);
    EXPECT_FALSE(q.Busy());
    EXPECT_FALSE(q.Read(out, 4));  // silence is no second end
    EXPECT_EQ(q.SamplesOut(), 6u);

    // Played out before synthesis finished: Finish itself ends it.
    q.Begin();
    q.Append(a, 2);
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_TRUE(q.Finish());
    EXPECT_FALSE(q.Finish());
}

TEST(PcmQueue, ClearingCutsOffWithoutALaterEnd) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Clear());  // nothing to cut
    q.Begin();
    const int16_t a[] = {1, 2, 3};
    q.Append(a, 3);
    EXPECT_TRUE(q.Clear());
    EXPECT_FALSE(q.Busy());
    q.Append(a, 3);            // late samples of the cut utterance are dropped
    EXPECT_FALSE(q.Finish());
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_EQ(out[0], 0);
}

TEST(Speechd, OnlyTheLatestTextsEndCountsAndRateMapping) {
    using N = SpeechdNotice;
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::End, 7, 7, false));
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::Cancel, 7, 7, false));  // the screen reader cut us
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Cancel, 7, 7, true));  // our next text cut it
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::End, 8, 7, true));      // the new one, not yet numbered
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Cancel, 6, 7, false)); // an older one
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Begin, 7, 7, false));
    EXPECT_EQ(SpeechdRateFor(60), 0);
    EXPECT_EQ(SpeechdRateFor(0), -100);
    EXPECT_EQ(SpeechdRateFor(120), 100);
    EXPECT_EQ(SpeechdRateFor(90), 50);
    EXPECT_EQ(SpeechdRateFor(500), 100);
}

TEST(Espeak, VoiceChoiceAndRate) {
    const std::vector<EspeakVoice> voices = {
        {"Russian", "sit/ru", {"ru"}},
        {"English", "gmw/en", {"en-gb", "en"}},
        {"Russian_Latvia", "sit/ru-LV", {"ru-lv"}},
        {"Ukrainian", "zle/uk", {"uk"}},
    };
    EXPECT_EQ(ChooseEspeakVoice(voices, ""), "Russian_Latvia");  // the last Russian one
    EXPECT_EQ(ChooseEspeakVoice(voices, "english"), "English");  // a named one wherever it stands
    EXPECT_EQ(ChooseEspeakVoice(voices, "sit/ru"), "Russian");
    EXPECT_EQ(ChooseEspeakVoice(voices, "Nobody"), "Russian_Latvia");
    EXPECT_EQ(ChooseEspeakVoice({{"English", "en", {"en"}}}, ""), "");
    EXPECT_EQ(EspeakRateFor(0), 80);
    EXPECT_EQ(EspeakRateFor(60), 200);
    EXPECT_EQ(EspeakRateFor(120), 320);
    EXPECT_EQ(EspeakRateFor(-5), 80);
    EXPECT_EQ(ParseSpeechChoice("eSpeak"), SpeechChoice::Espeak);
    EXPECT_EQ(ParseSpeechChoice("jaws"), std::nullopt);
}

// Collects what an output posts from its threads.
struct Events {
    std::mutex m;
    std::condition_variable cv;
    std::vector<SpeechEvent> got;
    PostSpeechEvent Post() {
        return [this](SpeechEvent e) {
            std::lock_guard lock(m);
            got.push_back(e);
            cv.notify_all();
        };
    }
    // Waits (bounded, so a broken engine fails instead of hanging) for n events.
    bool WaitFor(size_t n) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::seconds(20), [&] { return got.size() >= n; });
    }
    size_t Count() {
        std::lock_guard lock(m);
        return got.size();
    }
};

TEST(Espeak, SynthesisesRussianIntoMemory) {
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr, /*withAudio=*/false);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    voice->Speak(base::LowerText1251(base::Utf8ToCp1251("Вы стоите у ворот старого замка.")));
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_EQ(events.got[0], SpeechEvent::VoiceStopped);
    // About two seconds of speech.
    EXPECT_GT(voice->SamplesMade(), static_cast<uint64_t>(voice->SampleRate()));
    EXPECT_GT(voice->timings().firstBuffer.load(), voice->timings().spoken.load());
}

TEST(Espeak, PlaysThroughTheStreamAndIsCutOffWithoutAFalseEnd) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice, or SDL audio, is missing here";
    SpeechRouter router;
    router.OpenSpeech(std::move(voice));
    router.SayText(base::Utf8ToCp1251(
        "Длинный текст, который не успеет прозвучать до конца, потому что его перебьют."));
    ASSERT_TRUE(router.SpeechBusy);
    // Give the device a moment to start; the text lasts several seconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    router.SayText(base::Utf8ToCp1251("Да."));
    // The cut-off text reports one stop, which the router ignores; the short one ends speech.
    ASSERT_TRUE(events.WaitFor(2));
    for (SpeechEvent e : events.got) router.Handle(e);
    EXPECT_FALSE(router.SpeechBusy);
    EXPECT_FALSE(router.IgnoreNextStop);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(events.Count(), 2u);
}

}  // namespace
}  // namespace velmora::speech

namespace velmora::speech {
namespace {

TEST(Speechd, AStartedDaemonBeginsOurText) {
    auto out = SpeechdOutput::Open(true, 10000, nullptr, nullptr);
    if (!out) GTEST_SKIP() << "speech-dispatcher could not be started here";
    out->Speak(base::Utf8ToCp1251("Проверка"));
    // Without an audio sink the daemon reports the beginning but never the end.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (out->beganAt == 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(out->beganAt.load(), out->spokenAt.load());
}

}  // namespace
}  // namespace velmora::speech
