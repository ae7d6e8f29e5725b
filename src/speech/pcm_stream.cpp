#include "speech/pcm_stream.h"

#include <SDL.h>

namespace velmora::speech {

std::unique_ptr<PcmStream> PcmStream::Open(int sampleRate, PcmQueue& queue,
                                           std::function<void()> onDrained) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto stream = std::make_unique<PcmStream>(queue, std::move(onDrained));
    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 256;  // about 12 ms at 22050 Hz: heard soon, cut off quickly
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
    const bool drained =
        s->queue_.Read(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(bytes) / 2);
    if (before == 0 && s->queue_.SamplesOut() > 0 && s->onFirstSample) s->onFirstSample();
    if (drained && s->onDrained_) s->onDrained_();
}

}  // namespace velmora::speech
