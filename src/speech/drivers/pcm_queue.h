// Samples of synthesised speech between the synthesiser's thread and the
// audio device's thread. It knows when the last sample of a finished
// utterance has gone out, which is when speech has ended.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

namespace velmora::speech {

class PcmQueue {
public:
    // Utterance `id` begins; its samples follow with Append, then Finish.
    // Samples and ends of any other id (a text cut off while the synthesiser
    // still made it) are dropped.
    void Begin(uint64_t id);
    void Append(uint64_t id, const int16_t* samples, size_t count);
    // The utterance is complete. True when every sample has already gone out
    // (speech has ended now, and nothing later will say so).
    bool Finish(uint64_t id);
    // Fills out with the next samples and silence after them. True when this
    // call handed out the last sample of a finished utterance.
    bool Read(int16_t* out, size_t count);
    // Drops what is left. True when this cut off an utterance in progress.
    bool Clear();
    // Samples are waiting, or the utterance is still being made.
    bool Busy() const;
    // Samples handed out since the utterance began (0 until the first one).
    uint64_t SamplesOut() const;

private:
    mutable std::mutex mutex_;
    std::deque<int16_t> samples_;
    bool open_ = false;      // an utterance has begun and not yet ended or been cut
    bool finished_ = false;  // its synthesis is complete
    uint64_t id_ = 0;         // the utterance Begin named
    uint64_t out_ = 0;
};

}  // namespace velmora::speech
