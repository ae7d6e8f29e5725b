// An audio device that plays a PcmQueue (mono, 16-bit) and reports, from the
// device's thread, when an utterance's last sample has gone out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "speech/pcm_queue.h"

namespace velmora::speech {

class PcmStream {
public:
    // Opens the default audio output; no value when there is none.
    static std::unique_ptr<PcmStream> Open(int sampleRate, PcmQueue& queue,
                                           std::function<void()> onDrained);
    PcmStream(PcmQueue& queue, std::function<void()> onDrained)
        : queue_(queue), onDrained_(std::move(onDrained)) {}
    ~PcmStream();
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;

    // Called from the device's thread when the first sample of an utterance
    // goes out (for measurements).
    std::function<void()> onFirstSample;

private:
    static void Callback(void* self, uint8_t* stream, int bytes);

    PcmQueue& queue_;
    std::function<void()> onDrained_;
    uint32_t device_ = 0;
};

}  // namespace velmora::speech
