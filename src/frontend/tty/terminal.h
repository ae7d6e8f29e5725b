// The player's terminal in raw mode for as long as the game runs.
//
//   std::string why;
//   std::optional<Terminal> term = Terminal::Open(&why);
//   if (!term) { std::cerr << "velmora: " << why << '\n'; return 2; }
//   term->WriteLine(base::Utf8("Привет"));  // one line
//
// Keys arrive as bytes (no echo, no line editing; Ctrl+C is a byte too).
// SIGINT, SIGTERM and SIGHUP become a byte on SignalFd(), for the event loop
// to end the game normally (keeping it in the autosave); a later one restores
// the terminal and exits at once only when the game has not ended within
// five seconds of the first. The terminal is restored when the object goes, at exit(), and on abort();
// Ctrl+Z restores it for the shell and fg takes raw mode back.
// Lines are written in the terminal's own character set (see TerminalEncoding).
// One terminal can be open at a time.
#pragma once

#include <termios.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/unique_fd.h"
#include "base/utf8.h"
#include "frontend/tty/key_decoder.h"
#include "frontend/tty/terminal_encoding.h"

namespace velmora::frontend {

class Terminal {
public:
    // The controlling terminal: standard input when it is one, else /dev/tty,
    // in the locale's character set (a set without Russian letters is named
    // on standard error, once). No value when there is none, or it cannot be
    // set up; why says what failed.
    static std::optional<Terminal> Open(std::string* why);
    // Whether Open would find a terminal, without changing its mode.
    static bool Available();
    // The terminal on `fd` (not owned, used for input and output); for tests on a pty.
    // `term` names its terminfo entry; empty: $TERM.
    static std::optional<Terminal> OpenOn(int fd, std::string* why, const std::string& term = {},
                                          const std::string& codeset = "UTF-8");

    Terminal(Terminal&& other) noexcept;
    Terminal& operator=(Terminal&&) = delete;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    ~Terminal();

    int InputFd() const { return in_; }
    // Readable when a signal asked the game to end; read it to clear.
    int SignalFd() const { return signalRead_.Get(); }
    const TermKeys& Keys() const { return keys_; }
    const TerminalEncoding& Encoding() const { return encoding_; }

    // Writes a line and a line break, its control characters made harmless
    // and in the terminal's set; output errors (a hung-up terminal) are ignored.
    void WriteLine(const base::Utf8& line);
    // The bytes as they are: the terminal's own sequences (the bell).
    void Write(std::string_view bytes);

    // Back to the saved mode now (the destructor does it too).
    void Restore();

private:
    Terminal() = default;
    static std::optional<Terminal> Setup(base::UniqueFd owned, int in, int out, std::string* why,
                                         const std::string& term, const std::string& codeset);

    base::UniqueFd owned_;  // /dev/tty when opened here
    int in_ = -1;
    int out_ = -1;
    base::UniqueFd signalRead_;
    base::UniqueFd signalWrite_;
    TermKeys keys_;
    TerminalEncoding encoding_;
    const char* newline_ = "\r\n";
    bool active_ = false;
};

}  // namespace velmora::frontend
