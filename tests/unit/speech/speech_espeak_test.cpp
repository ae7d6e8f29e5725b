// espeak-ng's own rules and espeak-ng for real (no sound card needed), and
// the voices a player may name, with a fake speech-dispatcher beside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "speech/drivers/espeak_output.h"
#include "speech/drivers/open_speech.h"
#include "speech/speech_router.h"
#include "unit/speech/speech_fixture.h"

namespace velmora::speech::test {
namespace {

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
    // By name, identifier or its last part, with a variant: what a player may write.
    const std::vector<EspeakVoice> variants = {{"female3", "!v/f3", {"variant"}},
                                               {"Alex", "!v/Alex", {"variant"}}};
    const struct {
        const char* wanted;
        std::optional<std::string> found;
    } rows[] = {
        {"ru", "Russian"},
        {"RU-lv", "Russian_Latvia"},
        {"russian", "Russian"},
        {"ru+f3", "Russian+f3"},
        {"ru-lv+FEMALE3", "Russian_Latvia+f3"},
        {"Russian+alex", "Russian+Alex"},
        {"ru+nobody", std::nullopt},  // espeak-ng would take it and speak plainly
        {"ru+", std::nullopt},
        {"+f3", std::nullopt},
        {"nobody", std::nullopt},
        {"", std::nullopt},
        {"\xD0\xF3\xF1\xF1\xEA\xE8\xE9", std::nullopt},  // «Русский», code page 1251
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FindEspeakVoice(voices, variants, row.wanted), row.found) << row.wanted;
    }
    EXPECT_EQ(ChooseEspeakVoice(voices, "ru+nobody", variants), "Russian_Latvia");
    EXPECT_EQ(ChooseEspeakVoice(voices, "ru+f3", variants), "Russian+f3");
    EXPECT_EQ(EspeakRateFor(0), 80);
    EXPECT_EQ(EspeakRateFor(60), 200);
    EXPECT_EQ(EspeakRateFor(120), 320);
    EXPECT_EQ(EspeakRateFor(-5), 80);
    EXPECT_EQ(ParseSpeechChoice("eSpeak"), SpeechChoice::Espeak);
    EXPECT_EQ(ParseSpeechChoice("jaws"), std::nullopt);
}

TEST(Espeak, TheSilenceBeforeATextIsDroppedAndThatWithinItKept) {
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr, /*withAudio=*/false);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    // Nothing was spoken yet: the output's text number is still 0.
    void* text = nullptr;
    struct Step {
        std::vector<short> wav;
        uint64_t made;  // samples counted so far
    };
    const std::vector<Step> steps = {
        {{0, 0, 0}, 0},           // the pause before the text
        {{0, 0, 5, 0, 7}, 3},     // from its first sound on
        {{0, 0, 0, 0}, 7},        // a pause within it
    };
    for (const Step& step : steps) {
        std::vector<short> wav = step.wav;
        voice->OnSynth(wav.data(), static_cast<int>(wav.size()), text, false);
        EXPECT_EQ(voice->SamplesMade(), step.made);
    }
}

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
    EspeakOutput* out = voice.get();
    SpeechRouter router;
    router.OpenSpeech(std::move(voice));
    router.SayText(base::Utf8ToCp1251(
        "Длинный текст, который не успеет прозвучать до конца, потому что его перебьют."));
    ASSERT_TRUE(router.SpeechBusy);
    // Cut off once it is heard; the text lasts several seconds.
    ASSERT_TRUE(Events::Until([&] { return out->timings().firstSample.load() != 0; }));
    router.SayText(base::Utf8ToCp1251("Да."));
    // The cut-off text reports one stop, which the router ignores; the short one ends speech.
    ASSERT_TRUE(events.WaitFor(2));
    for (SpeechEvent e : events.got) router.Handle(e);
    EXPECT_FALSE(router.SpeechBusy);
    EXPECT_FALSE(router.IgnoreNextStop);
    // A false end of the cut-off text would come before the short text is
    // heard out, and the short one's end before a next text's first sample
    // (the device's thread sends both, in order): at that sample the count
    // is final.
    ASSERT_TRUE(Events::Until([&] { return !out->Speaking(); }));
    router.SayText(base::Utf8ToCp1251("Третий текст, который звучит долго."));
    ASSERT_TRUE(Events::Until([&] { return out->timings().firstSample.load() != 0; }));
    EXPECT_EQ(events.Count(), 2u);
}

TEST(Voices, EveryVoiceListedIsOneThePlayerCanName) {
    DaemonHome home;  // no daemon: none is started to list its voices
    const std::vector<VoiceEntry> alone = ListRussianVoices();
    EXPECT_FALSE(std::filesystem::exists(home.Socket()));
    if (alone.empty()) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    const std::vector<EspeakVoice> voices = ListEspeakVoices();
    const std::vector<EspeakVoice> variants = ListEspeakVariants();
    bool plain = false, variant = false;
    for (const VoiceEntry& v : alone) {
        EXPECT_EQ(v.engine, "espeak-ng");
        EXPECT_TRUE(FindEspeakVoice(voices, variants, base::Utf8ToCp1251(v.name))) << v.name;
        EXPECT_TRUE(v.language == "ru" || v.language.rfind("ru-", 0) == 0) << v.language;
        plain = plain || v.name == "ru";
        variant = variant || v.name == "ru+f3";
    }
    EXPECT_TRUE(plain);
    EXPECT_TRUE(variant);
    auto named = EspeakOutput::Open("RU+f3", nullptr, nullptr, /*withAudio=*/false);
    ASSERT_NE(named, nullptr);
    EXPECT_TRUE(named->NamedVoiceFound());
    EXPECT_EQ(named->VoiceName(), "Russian+f3");
    named.reset();

    // A daemon running: its Russian voices too, as it names them.
    FakeDaemon daemon(home.Socket(), "");
    ASSERT_TRUE(daemon.Ready());
    std::vector<std::string> daemons;
    for (const VoiceEntry& v : ListRussianVoices()) {
        if (v.engine == "speech-dispatcher") daemons.push_back(v.name + "|" + v.language + "|" + v.note);
    }
    EXPECT_EQ(daemons, (std::vector<std::string>{"Russian|ru|", "Russian+Alex|ru|Alex",
                                                 "Елена|ru-RU|"}));
    EXPECT_TRUE(daemon.ClientsGone(milliseconds(2000)));
}

}  // namespace
}  // namespace velmora::speech::test
