#include "speech/drivers/pcm_queue.h"

#include <algorithm>

namespace velmora::speech {

void PcmQueue::Begin(uint64_t id) {
    std::lock_guard lock(mutex_);
    samples_.clear();
    id_ = id;
    open_ = true;
    finished_ = false;
    out_ = 0;
}

void PcmQueue::Append(uint64_t id, const int16_t* samples, size_t count) {
    std::lock_guard lock(mutex_);
    if (!open_ || id != id_) return;
    samples_.insert(samples_.end(), samples, samples + count);
}

bool PcmQueue::Finish(uint64_t id) {
    std::lock_guard lock(mutex_);
    if (!open_ || id != id_) return false;
    finished_ = true;
    if (!samples_.empty()) return false;
    open_ = false;
    return true;
}

bool PcmQueue::Read(int16_t* out, size_t count) {
    std::lock_guard lock(mutex_);
    const size_t n = std::min(count, samples_.size());
    std::copy_n(samples_.begin(), n, out);
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(n));
    std::fill(out + n, out + count, int16_t{0});
    out_ += n;
    if (open_ && finished_ && n > 0 && samples_.empty()) {
        open_ = false;
        return true;
    }
    return false;
}

bool PcmQueue::Clear() {
    std::lock_guard lock(mutex_);
    const bool cut = open_;
    samples_.clear();
    open_ = false;
    finished_ = false;
    return cut;
}

bool PcmQueue::Busy() const {
    std::lock_guard lock(mutex_);
    return open_;
}

uint64_t PcmQueue::SamplesOut() const {
    std::lock_guard lock(mutex_);
    return out_;
}

}  // namespace velmora::speech
