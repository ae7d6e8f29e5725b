// The in-process voice: espeak-ng synthesises into memory and our own audio
// stream plays it, so cutting off, "still speaking" and the end of speech are
// known exactly.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "speech/drivers/pcm_queue.h"
#include "speech/drivers/pcm_stream.h"
#include "speech/speech_output.h"

namespace velmora::speech {

struct EspeakVoice {
    std::string name;
    std::string identifier;
    std::vector<std::string> languages;
};

// The voices espeak-ng offers (espeak-ng must be initialised).
std::vector<EspeakVoice> ListEspeakVoices();
// "zle/ru-LV" → "ru-LV", "!v/f3" → "f3": what the voice or variant may be named by.
std::string EspeakShortName(const std::string& identifier);
// Its variants ("female3", "!v/f3"), which change any voice: "ru+f3".
std::vector<EspeakVoice> ListEspeakVariants();
// The Russian voices in espeak-ng's order of preference. Finds espeak-ng's
// data itself when no voice of ours has opened it.
std::vector<EspeakVoice> ListEspeakRussianVoices();

// The name espeak-ng is to be given for the voice named (code page 1251,
// without regard to case): a voice's name, its identifier or the identifier's
// last part ("ru-lv"), perhaps followed by "+" and a variant's name or last
// part ("ru+f3"). None when no voice, or no variant, has that name.
std::optional<std::string> FindEspeakVoice(const std::vector<EspeakVoice>& voices,
                                           const std::vector<EspeakVoice>& variants,
                                           const std::string& wantedName);

// The voice to use: the one named when there is one, else the last voice
// whose language is Russian; empty when neither exists.
std::string ChooseEspeakVoice(const std::vector<EspeakVoice>& voices,
                              const std::string& wantedName,
                              const std::vector<EspeakVoice>& variants = {});

// Words a minute for the rate setting 0…120: 80 at 0, 200 at the default 60, 320 at 120.
int EspeakRateFor(int setting);

class EspeakOutput : public SpeechOutput {
public:
    // Opens espeak-ng with a Russian voice (or the named one) and an audio
    // stream; null when either is missing. Without an audio device, pass
    // withAudio false to synthesise only (the samples are dropped).
    static std::unique_ptr<EspeakOutput> Open(const std::string& voiceName, PostSpeechEvent post,
                                              std::function<void()> beep, bool withAudio = true);
    EspeakOutput(PostSpeechEvent post, std::function<void()> beep)
        : post_(std::move(post)), beep_(std::move(beep)) {}
    ~EspeakOutput() override;
    EspeakOutput(const EspeakOutput&) = delete;
    EspeakOutput& operator=(const EspeakOutput&) = delete;

    SpeechOutputKind Kind() const override { return SpeechOutputKind::soSapi; }
    void Speak(const std::string& text) override;
    void Cue(int number) override;
    void SetRate(int setting) override;
    bool Speaking() const override { return queue_.Busy(); }
    void AudioReset() override;

    const std::string& VoiceName() const { return voice_; }
    // Whether the voice the player named is the one speaking.
    bool NamedVoiceFound() const { return namedFound_; }
    int SampleRate() const { return sampleRate_; }

    // For measurements: when the last Speak began, got its first synthesised
    // buffer, and sent its first sample to the device.
    struct Timings {
        std::atomic<int64_t> spoken{0};
        std::atomic<int64_t> firstBuffer{0};
        std::atomic<int64_t> firstSample{0};
    };
    Timings& timings() { return timings_; }
    static int64_t Now();

    // The synthesiser's callback; public for the C trampoline only.
    int OnSynth(short* wav, int samples, void* userData, bool terminated);

    // Samples synthesised since the output was opened.
    uint64_t SamplesMade() const { return samplesMade_; }

private:
    PostSpeechEvent post_;
    std::function<void()> beep_;
    PcmQueue queue_;
    std::unique_ptr<PcmStream> stream_;
    std::atomic<uintptr_t> generation_{0};
    // The synthesiser's thread: the text whose sound has begun (none yet).
    uintptr_t soundedGeneration_ = ~uintptr_t{0};
    std::atomic<uint64_t> samplesMade_{0};
    std::string voice_;
    bool namedFound_ = false;
    int sampleRate_ = 0;
    Timings timings_;
};

}  // namespace velmora::speech
