// speech-dispatcher's local socket: where it is, whether a daemon answers on
// it, and which of our files are connections to it.
#pragma once

#include <optional>
#include <string>

#include "base/unique_fd.h"

namespace velmora::speech::speechd {

// The daemon's local socket, where libspeechd looks for it: SPEECHD_ADDRESS,
// else glib's runtime folder. None for a network address.
std::optional<std::string> DaemonSocket();

// Whether a daemon answers on its socket within the time. Neither step may
// wait longer: a daemon that hangs (seen while one was shutting down) still
// has its socket, and once its queue of connections is full a plain connect
// waits for it for ever.
bool DaemonAnswers(const std::string& path, int timeoutMs);

// Whether the two descriptors are the same socket.
bool SameSocket(int a, int b);

// Our copy of a connection's socket, when fd still is one to the daemon.
base::UniqueFd WitnessOf(int fd, const std::string& path);

// Ends whatever waits on the daemon's answer in libspeechd: its reader
// thread sees the end of the connection, as when the daemon goes away.
void ShutDownConnectionsTo(const std::string& path);

}  // namespace velmora::speech::speechd
