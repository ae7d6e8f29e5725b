// The keeper of speech-dispatcher's connection: watches it from a thread of
// its own. When the daemon goes away or is cut loose, it ends the text being
// spoken (no end would come), then seeks the daemon again, starting one if
// need be, a few times with growing pauses. A connection it makes waits for
// the output's own thread to take it, and is used there only.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/unique_fd.h"
#include "speech/drivers/speechd_connection.h"
#include "speech/drivers/speechd_output.h"

namespace velmora::speech {

class SpeechdOutput::Keeper {
public:
    Keeper(SpeechdOutput& out, std::optional<std::string> path, int witness);
    ~Keeper() { Stop(); }
    Keeper(const Keeper&) = delete;
    Keeper& operator=(const Keeper&) = delete;

    void Stop();
    // The witness of a connection just taken.
    void Watch(int witness);
    std::optional<speechd::Connection> TakeFresh();
    bool GaveUp() const { return gaveUp_; }

private:
    void Wake();
    // Waits for the time or a wake; false once stopping.
    bool Pause(int ms);
    void Run();
    speechd::Connection Seek();

    SpeechdOutput& out_;
    const std::optional<std::string> path_;
    std::mutex m_;
    int watched_;
    std::optional<speechd::Connection> fresh_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> gaveUp_{false};
    base::UniqueFd wake_;
    std::thread thread_;  // last: it starts once the rest exists
};

}  // namespace velmora::speech
