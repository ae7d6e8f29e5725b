// A player program started in the background. The process is always reaped:
// waited for, or killed and waited for when it is dropped.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/unique_fd.h"

namespace velmora::sound {

using base::UniqueFd;

class ChildProcess {
public:
    ChildProcess() = default;
    // args[0] is the name the program sees. Standard input comes from stdinFd
    // (or /dev/null when it is -1); output goes to /dev/null. Not started
    // when the program cannot be run.
    static ChildProcess Start(const std::filesystem::path& program,
                              const std::vector<std::string>& args, int stdinFd = -1);

    ~ChildProcess() { Kill(); }
    ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    bool Started() const { return pid_ > 0; }
    // Waits for its end; whether it exited with status 0.
    bool Wait();
    // Whether it still runs; a finished one is reaped.
    bool Running();
    // Ends it at once and reaps it.
    void Kill();

private:
    pid_t pid_ = -1;
};

// The executable called name in one of the folders of a PATH-style list;
// empty when there is none.
std::filesystem::path FindOnPath(std::string_view searchPath, std::string_view name);

}  // namespace velmora::sound
