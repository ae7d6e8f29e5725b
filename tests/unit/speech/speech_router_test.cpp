#include "speech/speech_router.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "base/encoding.h"
#include "speech/simple_outputs.h"

namespace velmora::speech {
namespace {

// Records what the router hands on; a voice reports Speaking while told so.
class RecordingOutput : public SpeechOutput {
public:
    RecordingOutput(SpeechOutputKind kind, std::vector<std::string>* log) : kind_(kind), log_(log) {}
    SpeechOutputKind Kind() const override { return kind_; }
    void Speak(const std::string& text) override { log_->push_back("say " + text); }
    void SpeakAgain(const std::string& text) override { log_->push_back("again " + text); }
    void Cue(int n) override { log_->push_back("cue " + std::to_string(n)); }
    void SetRate(int r) override { log_->push_back("rate " + std::to_string(r)); }
    bool Speaking() const override { return speaking; }
    void AudioReset() override { log_->push_back("reset"); }
    bool speaking = false;

private:
    SpeechOutputKind kind_;
    std::vector<std::string>* log_;
};

struct RouterTest : ::testing::Test {
    std::vector<std::string> log;
    SpeechRouter router;
    RecordingOutput* Open(SpeechOutputKind kind) {
        auto out = std::make_unique<RecordingOutput>(kind, &log);
        RecordingOutput* raw = out.get();
        router.PendingPrefix = "stale";
        router.OpenSpeech(std::move(out));
        return raw;
    }
};

TEST_F(RouterTest, TextPreparationTrimsAndDropsNothingTexts) {
    Open(SpeechOutputKind::soReader);
    EXPECT_EQ(router.PendingPrefix, "");  // opening clears it
    router.SayText("  \t\x01Hello\r\n ");
    for (const char* nothing : {"0", "", "   ", "\r\n"}) {
        router.SpeechBusy = false;
        router.SayText(nothing);
        EXPECT_TRUE(router.SpeechBusy) << "'" << nothing << "' leaves busy set";
    }
    router.SayText(" 0 ");  // only the exact text "0" is dropped
    EXPECT_EQ(log, (std::vector<std::string>{"say Hello", "say 0"}));
}

TEST_F(RouterTest, PrefixIsSpokenOnceAndWaitsOutTheMute) {
    Open(SpeechOutputKind::soReader);
    router.PendingPrefix = "Which? ";
    router.MuteSpeech();
    router.SayText("ignored");
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(router.SpeechBusy);
    EXPECT_EQ(router.PendingPrefix, "Which? ");
    router.UnmuteSpeech();
    router.SayText("");
    router.SayText("next");
    EXPECT_EQ(log, (std::vector<std::string>{"say Which?", "say next"}));
    // A prefix in front of "0" makes a text that is said.
    router.PendingPrefix = std::string(1, '1');  // GCC 12 -O3 takes = "1" for an overlapping copy
    router.SayText("0");
    EXPECT_EQ(log.back(), "say 10");
}

TEST_F(RouterTest, AVoiceIsCutOffWithoutAFalseEnd) {
    RecordingOutput* voice = Open(SpeechOutputKind::soSapi);
    int ends = 0;
    router.onSpeechEnded = [&] { ++ends; };
    // The voice lower-cases for itself: what wraps it sees the game's text.
    router.SayText(base::Utf8ToCp1251("Привет, МИР"));
    EXPECT_EQ(log.back(), "say " + base::Utf8ToCp1251("Привет, МИР"));
    voice->speaking = true;
    router.SayText("second");
    EXPECT_EQ(log, (std::vector<std::string>{"say " + base::Utf8ToCp1251("Привет, МИР"), "reset",
                                             "say second"}));
    // The stop of the reset text is not an end; the next stop is.
    router.Handle(SpeechEvent::VoiceStopped);
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(router.SpeechBusy);
    router.Handle(SpeechEvent::VoiceStopped);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(router.SpeechBusy);
}

TEST_F(RouterTest, EndOfSpeechRunsTheHooksAroundClearingBusy) {
    Open(SpeechOutputKind::soReader);
    router.SayText("text");
    std::vector<std::string> seen;
    router.onSpeechEnding = [&] { seen.push_back(router.SpeechBusy ? "ending busy" : "ending idle"); };
    router.onSpeechEnded = [&] { seen.push_back(router.SpeechBusy ? "ended busy" : "ended idle"); };
    router.Handle(SpeechEvent::SpeechEnded);
    EXPECT_EQ(seen, (std::vector<std::string>{"ending busy", "ended idle"}));
}

TEST_F(RouterTest, CuesAndRatePerOutput) {
    Open(SpeechOutputKind::soReader);
    router.PlayCue(13);
    router.SetSpeechRate(60);
    Open(SpeechOutputKind::soSapi);
    router.SetSpeechRate(40);
    Open(SpeechOutputKind::soJaws);
    router.SetSpeechRate(70);  // JAWS keeps its own rate
    router.SayText("now");
    EXPECT_FALSE(router.SpeechBusy);  // JAWS never reports an end
    Open(SpeechOutputKind::soNone);
    router.SetSpeechRate(80);
    router.SayText("lost");
    EXPECT_EQ(log, (std::vector<std::string>{"cue 13", "rate 60", "rate 40", "say now"}));
}

// Everything said can be heard again, back and forward, with the boundary
// cue at either end; hearing again adds nothing to what was said.
TEST_F(RouterTest, ReviewStepsThroughWhatWasSaid) {
    Open(SpeechOutputKind::soReader);
    router.Review(-1);  // nothing said yet
    router.SayText("one");
    router.SayText("  two ");
    router.SayText("three");
    log.clear();
    for (int step : {-1, -1, -1, 1, 1, 1, 0, -1}) router.Review(step);
    EXPECT_EQ(log, (std::vector<std::string>{"again two", "again one", "cue 13", "again one",
                                             "again two", "again three", "cue 13", "again three",
                                             "again three", "again two"}));
    EXPECT_EQ(router.History().size(), 3u);
    router.SayText("four");  // a new text: back goes from the newest again
    log.clear();
    router.Review(-1);
    EXPECT_EQ(log, (std::vector<std::string>{"again three"}));
    for (size_t i = 0; i < SpeechRouter::kHistoryLength + 10; ++i) router.SayText("x");
    EXPECT_EQ(router.History().size(), SpeechRouter::kHistoryLength);
}

// Silence cuts the voice off and ends a wait for it, as its end would, but
// reads nothing on: the end that the cut text reports is not an end.
TEST_F(RouterTest, SilenceEndsTheSpeechWithoutReadingOn) {
    int ending = 0, ended = 0;
    router.onSpeechEnding = [&] { ++ending; };
    router.onSpeechEnded = [&] { ++ended; };
    RecordingOutput* voice = Open(SpeechOutputKind::soSapi);
    router.SayText("long");
    voice->speaking = true;
    router.Silence();
    EXPECT_FALSE(router.SpeechBusy);
    router.Handle(SpeechEvent::VoiceStopped);  // the reset's own stop
    EXPECT_EQ(ending, 1);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(log.back(), "reset");

    Open(SpeechOutputKind::soReader);
    router.SayText("long");
    router.Silence();
    router.Handle(SpeechEvent::SpeechEnded);  // the reader reports the cut text
    EXPECT_EQ(ended, 0);
    router.SayText("next");
    router.Handle(SpeechEvent::SpeechEnded);
    EXPECT_EQ(ended, 1);
    router.Silence();  // nothing being said: nothing happens
    EXPECT_EQ(ending, 3);
}

TEST(PrintOutput, WritesOneLinePerTextAndReportsItsEnd) {
    char* buf = nullptr;
    size_t size = 0;
    std::FILE* mem = open_memstream(&buf, &size);
    ASSERT_NE(mem, nullptr);
    int ended = 0;
    {
        PrintOutput out(mem, [&](SpeechEvent e) { ended += e == SpeechEvent::SpeechEnded; });
        out.Speak(base::Utf8ToCp1251("Взять\r\nключ"));
        out.Cue(37);
        out.SetRate(60);
    }
    std::fclose(mem);
    EXPECT_EQ(std::string(buf, size), "Взять  ключ\n[cue 37]\n[rate 60]\n");
    std::free(buf);
    EXPECT_EQ(ended, 1);
    int beeps = 0;
    NoneOutput none([&] { ++beeps; });
    none.Cue(2);
    EXPECT_EQ(beeps, 1);
}

}  // namespace
}  // namespace velmora::speech
