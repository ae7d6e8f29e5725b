// A speech-dispatcher daemon of our own: started when none runs, found again
// through /proc, and stopped when we end.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace velmora::speech::speechd {

// Starts the daemon the way libspeechd would, but without waiting on it:
// "speech-dispatcher --spawn" starts the daemon and returns. It gets none of
// our files, and its log lines stay off our screen. We stop it when we end;
// should we be killed first, it ends by itself five seconds after its last
// client, whatever its configuration says (where it can: without a sound
// device it may hang on its way out). The starter's number, or -1.
pid_t SpawnDaemon(const std::optional<std::string>& path);

// The daemon we started on this socket path: it leaves its starter behind,
// and the credentials of its socket name that starter, so it is found by
// the command line we gave it. 0 when there is none.
pid_t DaemonStartedOn(const std::string& path, pid_t starter);

// Stops a daemon we started. It is asked first; one without a sound device
// ignores that, hanging on its way out, and is killed. At most two seconds.
void StopDaemon(pid_t pid);

}  // namespace velmora::speech::speechd
