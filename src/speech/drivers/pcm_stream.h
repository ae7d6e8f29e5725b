// An audio device that plays a PcmQueue (mono, 16-bit) and reports, from the
// device's thread, when an utterance's last sample has gone out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "speech/drivers/pcm_queue.h"

namespace velmora::speech {

// The voice's samples as the device takes them: stereo float frames at twice
// the voice's rate, each sample after its mean with the one before (a 2x
// linear interpolation). Desktop sound servers mix in float stereo anyway,
// and a writer that hands audio on in blocks of bytes (SDL's disk driver
// writes through stdio, 4 KiB at a time) passes 11.6 ms a block at 44.1 kHz
// float stereo, against 93 ms for the voice's own 22.05 kHz mono 16-bit.
class PcmFeed {
public:
    explicit PcmFeed(PcmQueue& queue) : queue_(queue) { mono_.resize(4096); }
    // Fills `frames` frames (two floats each) from the queue, silence after
    // its samples. True when this call handed out the last sample of a
    // finished utterance.
    bool Fill(float* out, size_t frames);

private:
    PcmQueue& queue_;
    std::vector<int16_t> mono_;
    float last_ = 0;                 // the previous sample, for the mean
    std::optional<float> pending_;   // a sample whose own frame did not fit
};

class PcmStream {
public:
    // Opens the default audio output for a voice of `sampleRate`; no value
    // when there is none.
    static std::unique_ptr<PcmStream> Open(int sampleRate, PcmQueue& queue,
                                           std::function<void()> onDrained);
    PcmStream(PcmQueue& queue, std::function<void()> onDrained)
        : queue_(queue), feed_(queue), onDrained_(std::move(onDrained)) {}
    ~PcmStream();
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;

    // Called from the device's thread when the first sample of an utterance
    // goes out (for measurements).
    std::function<void()> onFirstSample;

private:
    static void Callback(void* self, uint8_t* stream, int bytes);

    PcmQueue& queue_;
    PcmFeed feed_;
    std::function<void()> onDrained_;
    uint32_t device_ = 0;
};

}  // namespace velmora::speech
