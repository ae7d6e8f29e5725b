// One connection to speech-dispatcher through libspeechd: made within its
// bounds (starting a daemon if asked), watched through our own copy of its
// socket, and closed without libspeechd closing a number twice.
#pragma once

#include <libspeechd.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_fd.h"
#include "speech/drivers/speechd_calls.h"
#include "speech/drivers/speechd_output.h"

namespace velmora::speech::speechd {

struct Connection {
    SPDConnection* c = nullptr;
    base::UniqueFd witness;
    pid_t started = 0;  // the daemon we started for it, if we did
};

// Connects to a daemon running on path (a network address when none), asked
// first whether it answers within probeMs. Empty when it does not.
Connection Connect(const std::optional<std::string>& path, int probeMs);

// Starts a daemon and connects to it, waiting until the deadline at most
// or until stopping() says so.
Connection StartAndConnect(const std::optional<std::string>& path, Clock::time_point deadline,
                           const std::function<bool()>& stopping);

// libspeechd's reader closes the socket itself when it loses the daemon, and
// spd_close then closes that number again, by then perhaps another file of
// ours. So the socket is shut down first, the reader closes it and quits, and
// spd_close is kept off the number. witness: -1 for an unwatched connection.
void CloseConnection(SPDConnection* c, int witness);

// The voices of the daemon's default module (a call to the daemon: run it within its bound).
std::vector<SpeechdVoice> VoicesOn(SPDConnection* c);

}  // namespace velmora::speech::speechd
