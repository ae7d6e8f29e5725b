// How soon a spoken menu entry is heard: SayText to the first synthesised
// buffer, and SayText to the first sample handed to the audio device, for
// espeak-ng; and SayText to the daemon's start of speech for
// speech-dispatcher when a daemon can be reached. Medians over many runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "base/encoding.h"
#include "speech/drivers/espeak_output.h"
#include "speech/speech_router.h"
#include "speech/drivers/speechd_output.h"

using namespace velmora;
using namespace velmora::speech;

namespace {

const std::string& MenuEntry() {
    static const std::string text = base::Utf8ToCp1251("Осмотреть предмет");
    return text;
}

std::map<std::string, std::vector<double>> g_samples;  // milliseconds per measure

void Record(const std::string& what, int64_t from, int64_t to) {
    g_samples[what].push_back(static_cast<double>(to - from) / 1e6);
}

// Waits until an atomic time stamp is set, or gives up after a second.
bool WaitStamp(const std::atomic<int64_t>& stamp) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (stamp.load() == 0) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

void BM_EspeakFirstBufferAndSample(benchmark::State& state) {
    SpeechRouter router;
    auto voice = EspeakOutput::Open("", nullptr, nullptr);
    if (!voice) {
        state.SkipWithError("espeak-ng with a Russian voice, or audio output, is missing");
        return;
    }
    EspeakOutput* raw = voice.get();
    router.OpenSpeech(std::move(voice));
    for (auto _ : state) {
        router.SayText(MenuEntry());
        const bool buffer = WaitStamp(raw->timings().firstBuffer);
        const bool sample = WaitStamp(raw->timings().firstSample);
        const int64_t spoken = raw->timings().spoken;
        if (buffer) Record("espeak-ng: SayText to first synthesised buffer", spoken,
                           raw->timings().firstBuffer);
        if (sample) Record("espeak-ng: SayText to first sample to the device", spoken,
                           raw->timings().firstSample);
        state.SetIterationTime(static_cast<double>(raw->timings().firstSample - spoken) / 1e9);
        raw->AudioReset();
        router.IgnoreNextStop = false;
    }
}
BENCHMARK(BM_EspeakFirstBufferAndSample)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

// A key pressed while the voice still speaks: the next text cuts the last one
// off. Timed are the SayText call (the game waits for it) and SayText to the
// first synthesised buffer of the new text, with the last text's synthesis
// still running (a second text said at once) and finished (only playing).
void BM_EspeakOverSpeech(benchmark::State& state) {
    const bool synthesisRunning = state.range(0) == 1;
    const std::string what = synthesisRunning ? "synthesis running" : "synthesis done, playing";
    SpeechRouter router;
    auto voice = EspeakOutput::Open("", nullptr, nullptr);
    if (!voice) {
        state.SkipWithError("espeak-ng with a Russian voice, or audio output, is missing");
        return;
    }
    EspeakOutput* raw = voice.get();
    router.OpenSpeech(std::move(voice));
    static const std::string longText = base::Utf8ToCp1251(
        "Ты стоишь у ворот старого замка. Над тобой нависают тёмные башни, а ветер воет "
        "в бойницах. Где-то далеко лает собака, и скрипит на ржавых петлях калитка.");
    for (auto _ : state) {
        router.SayText(longText);
        if (!WaitStamp(raw->timings().firstBuffer)) continue;
        if (!synthesisRunning) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const int64_t before = EspeakOutput::Now();
        router.SayText(MenuEntry());
        const int64_t after = EspeakOutput::Now();
        Record("espeak-ng over speech, " + what + ": the SayText call", before, after);
        if (WaitStamp(raw->timings().firstBuffer)) {
            Record("espeak-ng over speech, " + what + ": SayText to first buffer", before,
                   raw->timings().firstBuffer);
        }
        state.SetIterationTime(static_cast<double>(after - before) / 1e9);
        raw->AudioReset();
        router.IgnoreNextStop = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
BENCHMARK(BM_EspeakOverSpeech)->Arg(1)->Arg(0)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_SpeechdBegin(benchmark::State& state) {
    auto out = SpeechdOutput::Open(true, 10000, nullptr, nullptr);
    if (!out) {
        state.SkipWithError("no speech-dispatcher daemon could be reached");
        return;
    }
    for (auto _ : state) {
        out->Speak(MenuEntry());
        if (!WaitStamp(out->beganAt)) {
            // Without an audio sink the daemon begins its first text and never
            // finishes it; later texts then never begin.
            state.SkipWithError("speech-dispatcher stopped beginning texts (no audio sink?)");
            return;
        }
        Record("speech-dispatcher: SayText to start of speech", out->spokenAt, out->beganAt);
        state.SetIterationTime(static_cast<double>(out->beganAt - out->spokenAt) / 1e9);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
BENCHMARK(BM_SpeechdBegin)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Without a sound card, the dummy driver paces playback in real time.
    setenv("SDL_AUDIODRIVER", std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nMedians (goal: first buffer under 2 ms, first sample under 20 ms):\n");
    for (auto& [what, ms] : g_samples) {
        std::sort(ms.begin(), ms.end());
        std::printf("  %-72s %8.3f ms  (%zu runs)\n", what.c_str(), ms[ms.size() / 2], ms.size());
    }
    return 0;
}
