#include "speech/drivers/pcm_stream.h"

#include <string_view>

#include <SDL.h>

namespace velmora::speech {

bool PcmFeed::Fill(float* out, size_t frames) {
    constexpr float kScale = 1.0f / 32768.0f;
    if (queue_.SamplesOut() == 0) {
        // A new text (or none yet): nothing of the one before may follow.
        last_ = 0;
        pending_.reset();
    }
    float* end = out + 2 * frames;
    if (pending_ && out != end) {
        out[0] = out[1] = *pending_;
        out += 2;
        pending_.reset();
    }
    // Two frames a sample: the samples this call needs, the odd one included.
    const size_t wanted = static_cast<size_t>(end - out) / 2;
    const size_t samples = (wanted + 1) / 2;
    if (mono_.size() < samples) mono_.resize(samples);
    const bool drained = samples > 0 && queue_.Read(mono_.data(), samples);
    for (size_t i = 0; i < samples; ++i) {
        const float x = static_cast<float>(mono_[i]) * kScale;
        const float mid = (last_ + x) / 2;
        out[0] = out[1] = mid;
        out += 2;
        last_ = x;
        if (out == end) {
            pending_ = x;
            break;
        }
        out[0] = out[1] = x;
        out += 2;
    }
    return drained;
}

std::unique_ptr<PcmStream> PcmStream::Open(int sampleRate, PcmQueue& queue,
                                           std::function<void()> onDrained) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto stream = std::make_unique<PcmStream>(queue, std::move(onDrained));
    SDL_AudioSpec want{};
    want.freq = 2 * sampleRate;  // see PcmFeed
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // About 6 ms at 44.1 kHz: heard soon, cut off quickly. Without any
    // ALLOW_*_CHANGE flag SDL converts for a device that wants otherwise, so
    // the callback always gets this format and size. PipeWire runs its whole
    // graph at the smallest period a stream asks for, rounded down to a power
    // of two: 256 frames here became its 256 at 48 kHz, and an arrow's answer
    // took 19-22 ms to sound (p90); with 128 frames it takes 13-14 ms.
    const char* driver = SDL_GetCurrentAudioDriver();
    want.samples = driver != nullptr && std::string_view(driver) == "pipewire" ? 128 : 256;
    want.callback = &PcmStream::Callback;
    want.userdata = stream.get();
    SDL_AudioSpec have{};
    stream->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (stream->device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(stream->device_, 0);
    return stream;
}

PcmStream::~PcmStream() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void PcmStream::Callback(void* self, uint8_t* stream, int bytes) {
    auto* s = static_cast<PcmStream*>(self);
    const uint64_t before = s->queue_.SamplesOut();
    // SDL hands a float-aligned buffer of whole frames.
    const bool drained = s->feed_.Fill(reinterpret_cast<float*>(stream),
                                       static_cast<size_t>(bytes) / (2 * sizeof(float)));
    if (before == 0 && s->queue_.SamplesOut() > 0 && s->onFirstSample) s->onFirstSample();
    if (drained && s->onDrained_) s->onDrained_();
}

}  // namespace velmora::speech
