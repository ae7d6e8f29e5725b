#include "frontend/tty/tty_events.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace velmora::frontend {

using shell::Event;

namespace {

base::UniqueFd MakePipe(base::UniqueFd& write) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make the event pipe");
    }
    write = base::UniqueFd(fds[1]);
    return base::UniqueFd(fds[0]);
}

void Drain(int fd) {
    char buf[64];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

bool IsLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

}  // namespace

TtyEvents::TtyEvents(Terminal& term, std::optional<std::vector<KeyStep>> script)
    : term_(&term),
      script_(script ? std::optional<RealTimeScript>(std::move(*script)) : std::nullopt),
      decoder_(term.Keys()) {
    wakeRead_ = MakePipe(wakeWrite_);
}

TtyEvents::TtyEvents(std::vector<KeyStep> script) : script_(RealTimeScript(std::move(script))) {
    wakeRead_ = MakePipe(wakeWrite_);
}

void TtyEvents::Post(const Event& event) {
    posted_.Push(event);
    // A full pipe already wakes the loop; the byte is only a wake-up.
    const char byte = 1;
    const ssize_t ignored = ::write(wakeWrite_.Get(), &byte, 1);
    (void)ignored;
}

std::string TtyEvents::KeyboardLayout() const {
    return lastCyrillic_.value_or(true) ? "00000419" : "00000409";
}

void TtyEvents::Queue(const KeyEvent& key) {
    // Ctrl+C ends the game, as closing the window does.
    if (key.key == 'C' && key.shift.Ctrl && !key.shift.Alt && !key.shift.Shift) {
        quitPending_ = true;
        return;
    }
    PushKeyEvents(queue_, key.key, key.shift, key.typed, true, true);
}

void TtyEvents::Deliver(const KeyStep& step) {
    if (step.typed && IsLetter(static_cast<unsigned char>(*step.typed))) {
        lastCyrillic_ = static_cast<unsigned char>(*step.typed) >= 0x80;
    }
    // A terminal cannot see Caps Lock.
    PushStepEvents(queue_, step, false);
}

void TtyEvents::ReadTerminal() {
    char buf[256];
    const ssize_t n = ::read(term_->InputFd(), buf, sizeof buf);
    if (n > 0) {
        const std::string typed = term_->Encoding().In(std::string_view(buf, static_cast<size_t>(n)));
        for (const KeyEvent& k : decoder_.Feed(typed, Clock::now())) {
            Queue(k);
        }
        if (auto cyrillic = decoder_.LastLetterCyrillic()) lastCyrillic_ = cyrillic;
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return;
    quitPending_ = true;  // the terminal hung up: nobody is left to play
}

void TtyEvents::WaitForInput(Clock::time_point until) {
    pollfd fds[3];
    nfds_t count = 0;
    fds[count++] = {wakeRead_.Get(), POLLIN, 0};
    const bool readKeys = term_ != nullptr && !script_;
    if (term_ != nullptr) fds[count++] = {term_->SignalFd(), POLLIN, 0};
    if (readKeys) fds[count++] = {term_->InputFd(), POLLIN, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    const int timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 1000));
    if (::poll(fds, count, timeout) <= 0) return;  // the deadline, or a signal
    if (fds[0].revents != 0) Drain(wakeRead_.Get());
    if (term_ != nullptr && fds[1].revents != 0) {
        Drain(term_->SignalFd());
        quitPending_ = true;
    }
    if (readKeys && fds[2].revents != 0) ReadTerminal();
}

std::optional<Event> TtyEvents::Next() {
    if (!ticks_) {
        ticks_.emplace(Clock::now());
        return Event::Ticks(0);  // the timer's first event starts the program
    }
    if (ended_) return std::nullopt;
    for (;;) {
        const auto now = Clock::now();
        if (quitPending_) {
            ended_ = true;
            return Event::Of(Event::Kind::Quit);
        }
        if (auto tick = ticks_->Due(now)) return tick;
        if (!queue_.empty()) {
            const Event e = queue_.front();
            queue_.pop_front();
            return e;
        }
        if (auto e = posted_.Pop()) return *e;
        if (auto deadline = decoder_.Deadline(); deadline && now >= *deadline) {
            for (const KeyEvent& k : decoder_.Flush(now)) Queue(k);
            continue;
        }
        if (script_) {
            if (auto step = script_->Next(now)) {
                Deliver(*step);
                continue;
            }
            if (script_->UsedUp(now)) {
                ended_ = true;
                return std::nullopt;
            }
        }
        Clock::time_point until = ticks_->NextTick();
        if (auto deadline = decoder_.Deadline()) until = std::min(until, *deadline);
        if (auto waitEnd = script_ ? script_->WaitEnd() : std::nullopt) until = std::min(until, *waitEnd);
        WaitForInput(until);
    }
}

}  // namespace velmora::frontend
