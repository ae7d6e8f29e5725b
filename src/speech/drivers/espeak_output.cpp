#include "speech/drivers/espeak_output.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>

#include "base/cp1251.h"
#include "base/encoding.h"

namespace velmora::speech {
namespace {

// espeak-ng is one per process; its callback finds the output through this.
std::atomic<EspeakOutput*> g_active{nullptr};

int SynthCallback(short* wav, int samples, espeak_EVENT* events) {
    EspeakOutput* out = g_active.load();
    if (out == nullptr || events == nullptr) return 1;
    bool terminated = wav == nullptr;
    void* userData = events->user_data;
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_MSG_TERMINATED) terminated = true;
    }
    return out->OnSynth(wav, samples, userData, terminated);
}

// espeak-ng's voices matching a pattern (all voices but the variants when null).
std::vector<EspeakVoice> ListVoicesLike(espeak_VOICE* pattern) {
    std::vector<EspeakVoice> voices;
    const espeak_VOICE** list = espeak_ListVoices(pattern);
    for (; list != nullptr && *list != nullptr; ++list) {
        const espeak_VOICE* v = *list;
        EspeakVoice voice;
        voice.name = v->name ? v->name : "";
        voice.identifier = v->identifier ? v->identifier : "";
        // Pairs of a priority byte and a language name, ended by a zero priority.
        for (const char* p = v->languages; p != nullptr && *p != 0;) {
            ++p;
            const std::string language(p);
            voice.languages.push_back(language);
            p += language.size() + 1;
        }
        voices.push_back(std::move(voice));
    }
    return voices;
}

// A voice or variant by its name, identifier or the identifier's last part.
const EspeakVoice* FindNamed(const std::vector<EspeakVoice>& voices, const std::string& name) {
    for (const EspeakVoice& v : voices) {
        if (base::EqualsNoCase1251(v.name, name) || base::EqualsNoCase1251(v.identifier, name) ||
            base::EqualsNoCase1251(EspeakShortName(v.identifier), name)) {
            return &v;
        }
    }
    return nullptr;
}

}  // namespace

std::string EspeakShortName(const std::string& identifier) {
    const size_t slash = identifier.rfind('/');
    return slash == std::string::npos ? identifier : identifier.substr(slash + 1);
}

std::vector<EspeakVoice> ListEspeakVoices() { return ListVoicesLike(nullptr); }

std::vector<EspeakVoice> ListEspeakVariants() {
    espeak_VOICE pattern{};
    pattern.languages = "variant";
    return ListVoicesLike(&pattern);
}

std::vector<EspeakVoice> ListEspeakRussianVoices() {
    // The path alone: a full start would reset a voice of ours already speaking.
    if (g_active.load() == nullptr) espeak_ng_InitializePath(nullptr);
    espeak_VOICE pattern{};
    pattern.languages = "ru";
    std::vector<EspeakVoice> voices = ListVoicesLike(&pattern);
    // The choice by language also offers voices that only speak Russian as
    // a second language, and the variants.
    std::erase_if(voices, [](const EspeakVoice& v) {
        return v.languages.empty() || !IsRussianLanguage(v.languages.front());
    });
    return voices;
}

std::optional<std::string> FindEspeakVoice(const std::vector<EspeakVoice>& voices,
                                           const std::vector<EspeakVoice>& variants,
                                           const std::string& wantedName) {
    if (wantedName.empty()) return std::nullopt;
    const size_t plus = wantedName.find('+');
    const EspeakVoice* voice = FindNamed(voices, wantedName.substr(0, plus));
    if (voice == nullptr) return std::nullopt;
    if (plus == std::string::npos) return voice->name;
    // espeak-ng takes an unknown variant without a word and speaks plainly.
    const EspeakVoice* variant = FindNamed(variants, wantedName.substr(plus + 1));
    if (variant == nullptr) return std::nullopt;
    std::string name = voice->name;
    name += '+';
    name += EspeakShortName(variant->identifier);
    return name;
}

std::string ChooseEspeakVoice(const std::vector<EspeakVoice>& voices,
                              const std::string& wantedName,
                              const std::vector<EspeakVoice>& variants) {
    if (auto named = FindEspeakVoice(voices, variants, wantedName)) return *named;
    std::string fallback;
    for (const EspeakVoice& v : voices) {
        if (std::any_of(v.languages.begin(), v.languages.end(), IsRussianLanguage)) fallback = v.name;
    }
    return fallback;
}

int EspeakRateFor(int setting) { return 80 + 2 * std::clamp(setting, 0, 120); }

int64_t EspeakOutput::Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::unique_ptr<EspeakOutput> EspeakOutput::Open(const std::string& voiceName,
                                                 PostSpeechEvent post,
                                                 std::function<void()> beep, bool withAudio) {
    if (g_active.load() != nullptr) return nullptr;  // one voice per process
    // Short buffers: the first one reaches the stream sooner.
    const int rate = espeak_Initialize(AUDIO_OUTPUT_RETRIEVAL, 20, nullptr,
                                       espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return nullptr;
    auto out = std::make_unique<EspeakOutput>(std::move(post), std::move(beep));
    out->sampleRate_ = rate;
    const std::vector<EspeakVoice> voices = ListEspeakVoices();
    const std::vector<EspeakVoice> variants = ListEspeakVariants();
    const std::optional<std::string> named = FindEspeakVoice(voices, variants, voiceName);
    out->namedFound_ = named.has_value();
    out->voice_ = named ? *named : ChooseEspeakVoice(voices, {});
    if (out->voice_.empty() || espeak_SetVoiceByName(out->voice_.c_str()) != EE_OK) {
        espeak_Terminate();
        return nullptr;
    }
    if (withAudio) {
        EspeakOutput* self = out.get();
        out->stream_ = PcmStream::Open(rate, out->queue_, [self] {
            if (self->post_) self->post_(SpeechEvent::VoiceStopped);
        });
        if (!out->stream_) {
            espeak_Terminate();
            return nullptr;
        }
        out->stream_->onFirstSample = [self] { self->timings_.firstSample = Now(); };
    }
    espeak_SetSynthCallback(&SynthCallback);
    g_active = out.get();
    out->SetRate(60);
    return out;
}

EspeakOutput::~EspeakOutput() {
    ++generation_;
    espeak_Cancel();
    stream_.reset();  // no more device callbacks
    g_active = nullptr;
    espeak_Terminate();
}

void EspeakOutput::Speak(const std::string& text) {
    const uintptr_t gen = ++generation_;
    queue_.Begin(gen);
    timings_.firstBuffer = 0;
    timings_.firstSample = 0;
    timings_.spoken = Now();
    // A voice is handed lower case, which it reads as words rather than letters.
    const std::string utf8 = base::Cp1251ToUtf8(base::LowerText1251(text));
    espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                 reinterpret_cast<void*>(gen));
}

int EspeakOutput::OnSynth(short* wav, int samples, void* userData, bool terminated) {
    const auto gen = reinterpret_cast<uintptr_t>(userData);
    if (gen != generation_.load()) return 1;  // cut off
    if (wav != nullptr && samples > 0 && soundedGeneration_ != gen) {
        // The pause espeak-ng puts before a text (and the closure of a first
        // т, п or к) is heard as a delay: the first sound starts the text.
        short* sound = std::find_if(wav, wav + samples, [](short x) { return x != 0; });
        samples -= static_cast<int>(sound - wav);
        wav = sound;
        if (samples > 0) soundedGeneration_ = gen;
    }
    if (wav != nullptr && samples > 0) {
        if (timings_.firstBuffer == 0) timings_.firstBuffer = Now();
        samplesMade_ += static_cast<uint64_t>(samples);
        // The queue checks the text again: a cut may have come since the check above.
        if (stream_) queue_.Append(gen, wav, static_cast<size_t>(samples));
    }
    if (terminated && queue_.Finish(gen) && post_) post_(SpeechEvent::VoiceStopped);
    return 0;
}

void EspeakOutput::Cue(int) {
    if (beep_) beep_();
}

void EspeakOutput::SetRate(int setting) { espeak_SetParameter(espeakRATE, EspeakRateFor(setting), 0); }

void EspeakOutput::AudioReset() {
    // No espeak_Cancel: once its thread has finished a text, espeak-ng 1.51
    // misses the next start after a cancel and the next espeak_Synth blocks
    // for 150 ms. A text still being made stops at its next buffer instead,
    // when the callback sees it is no longer the current one.
    ++generation_;
    if (queue_.Clear() && post_) post_(SpeechEvent::VoiceStopped);
}

}  // namespace velmora::speech
