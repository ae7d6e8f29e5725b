#include "frontend/tty/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <utility>

#include "base/terminal_text.h"

namespace velmora::frontend {
namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Ctrl+Z and fg: the shell gets its terminal back as it was, the game its raw mode.
constexpr int kJobSignals[] = {SIGTSTP, SIGCONT};

// What the signal handlers and the exit handler need, set before they can run.
// Only plain data: a handler may not allocate or lock.
struct Saved {
    int fd = -1;
    termios mode{};
    termios raw{};
    char keypadOff[64] = {};
    size_t keypadOffLength = 0;
    char keypadOn[64] = {};
    size_t keypadOnLength = 0;
    int signalPipe = -1;
};
Saved g_saved;
volatile std::sig_atomic_t g_active = 0;
volatile std::sig_atomic_t g_signals = 0;
volatile std::sig_atomic_t g_firstSignalAt = 0;  // seconds on the monotonic clock
// A closed terminal sends two hang-ups a millisecond apart (the shell's,
// then the kernel's), and `kill` is often repeated: a later signal ends the
// game at once only when the first has gone this long without an exit, so
// the autosave the first one asked for is written whole.
constexpr std::sig_atomic_t kStuckSeconds = 5;
struct sigaction g_oldQuit[std::size(kQuitSignals)];
struct sigaction g_oldJob[std::size(kJobSignals)];
bool g_jobInstalled[std::size(kJobSignals)] = {};
struct sigaction g_stopAction;
struct sigaction g_oldAbort;
bool g_abortInstalled = false;
bool g_atExitRegistered = false;

// Async-signal-safe: write and tcsetattr only.
void RestoreNow() {
    if (!g_active) return;
    if (g_saved.keypadOffLength > 0) {
        const ssize_t ignored = ::write(g_saved.fd, g_saved.keypadOff, g_saved.keypadOffLength);
        (void)ignored;
    }
    ::tcsetattr(g_saved.fd, TCSANOW, &g_saved.mode);
}

// Async-signal-safe too: the raw mode and keypad sequence of Setup again.
void TakeRawAgain() {
    if (!g_active) return;
    ::tcsetattr(g_saved.fd, TCSANOW, &g_saved.raw);
    if (g_saved.keypadOnLength > 0) {
        const ssize_t ignored = ::write(g_saved.fd, g_saved.keypadOn, g_saved.keypadOnLength);
        (void)ignored;
    }
}

// Ctrl+Z: the terminal as the shell left it, then the stop itself (the
// default action, raised again); when the game continues, raw mode again.
extern "C" void OnStop(int sig) {
    const int savedErrno = errno;
    RestoreNow();
    struct sigaction stop{};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    ::sigaction(sig, &stop, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(sig);
    // Continued, or never stopped (an orphaned process group drops the stop).
    ::sigaction(sig, &g_stopAction, nullptr);
    TakeRawAgain();
    errno = savedErrno;
}

// fg after a stop the game did not see (SIGSTOP): the shell may have put
// the terminal back in line mode.
extern "C" void OnContinue(int) {
    const int savedErrno = errno;
    TakeRawAgain();
    errno = savedErrno;
}

// Async-signal-safe (clock_gettime is); whole seconds are enough.
std::sig_atomic_t MonotonicSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::sig_atomic_t>(now.tv_sec);
}

extern "C" void OnQuitSignal(int sig) {
    const int savedErrno = errno;
    if (g_signals != 0) {
        // The game did not end long after the first: it is stuck, so end it
        // here (a save cut off now leaves the old one whole).
        if (MonotonicSeconds() - g_firstSignalAt >= kStuckSeconds) {
            RestoreNow();
            ::_exit(128 + sig);
        }
        errno = savedErrno;
        return;
    }
    g_signals = 1;
    g_firstSignalAt = MonotonicSeconds();
    const unsigned char byte = static_cast<unsigned char>(sig);
    const ssize_t ignored = ::write(g_saved.signalPipe, &byte, 1);
    (void)ignored;
    errno = savedErrno;
}

extern "C" void OnAbort(int sig) {
    RestoreNow();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

extern "C" void RestoreAtExit() { RestoreNow(); }

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string KeysWarning(const std::string& why) {
    return "velmora: " + base::TerminalSafe(why) +
           ": keys are read as xterm and the linux console send them; keys this terminal "
           "sends otherwise (arrows, Home, End, Page Up and Down, Insert, Delete, F1 to F12) "
           "may do nothing. Set TERM to the terminal's type; 'velmora --help' lists the keys "
           "that stand in for those no terminal sends.\n";
}

}  // namespace

std::optional<Terminal> Terminal::Open(std::string* why) {
    const std::string codeset = TerminalEncoding::LocaleCodeset();
    if (::isatty(STDIN_FILENO)) {
        if (::isatty(STDOUT_FILENO)) return Setup({}, STDIN_FILENO, STDOUT_FILENO, why, {}, codeset);
        // Output redirected: the lines still go to the player's screen.
        base::UniqueFd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
        const int out = tty.Valid() ? tty.Get() : STDIN_FILENO;
        return Setup(std::move(tty), STDIN_FILENO, out, why, {}, codeset);
    }
    base::UniqueFd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!tty.Valid()) {
        if (why) *why = Errno("no terminal: standard input is not one, and /dev/tty cannot be opened");
        return std::nullopt;
    }
    const int fd = tty.Get();
    return Setup(std::move(tty), fd, fd, why, {}, codeset);
}

bool Terminal::Available() {
    if (::isatty(STDIN_FILENO)) return true;
    const base::UniqueFd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    return tty.Valid();
}

std::optional<Terminal> Terminal::OpenOn(int fd, std::string* why, const std::string& term,
                                         const std::string& codeset) {
    return Setup({}, fd, fd, why, term, codeset);
}

std::optional<Terminal> Terminal::Setup(base::UniqueFd owned, int in, int out, std::string* why,
                                        const std::string& termName, const std::string& codeset) {
    if (g_active) {
        if (why) *why = "the terminal is already in use";
        return std::nullopt;
    }
    termios saved{};
    if (::tcgetattr(in, &saved) != 0) {
        if (why) *why = Errno("cannot read the terminal's mode");
        return std::nullopt;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (why) *why = Errno("cannot make a pipe for signals");
        return std::nullopt;
    }
    Terminal t;
    t.owned_ = std::move(owned);
    t.in_ = in;
    t.out_ = out;
    // Where output processing adds the CR itself, a CR of ours would be doubled.
    t.newline_ = (saved.c_oflag & OPOST) && (saved.c_oflag & ONLCR) ? "\n" : "\r\n";
    t.signalRead_ = base::UniqueFd(fds[0]);
    t.signalWrite_ = base::UniqueFd(fds[1]);
    const char* envTerm = std::getenv("TERM");
    const std::string name = !termName.empty() ? termName : envTerm ? envTerm : "";
    // Without a terminfo entry the common xterm and console sequences still work.
    std::string keysWhy;
    std::optional<TermKeys> keys = TermKeys::Load(name, &keysWhy);
    if (keys && keys->sequences.empty()) keysWhy = "TERM=" + name + " names no keys";
    t.keys_ = std::move(keys).value_or(TermKeys{name, {}, {}, {}});
    // The player hears why an arrow or a function key may do nothing.
    static bool keysWarned = false;
    if (!keysWhy.empty() && !std::exchange(keysWarned, true)) std::cerr << KeysWarning(keysWhy);
    t.encoding_ = TerminalEncoding(codeset);
    static bool warned = false;
    if (!t.encoding_.Warning().empty() && !std::exchange(warned, true)) std::cerr << t.encoding_.Warning();

    g_saved.fd = in;
    g_saved.mode = saved;
    g_saved.keypadOffLength = 0;
    if (t.keys_.keypadOff.size() <= sizeof g_saved.keypadOff) {
        std::memcpy(g_saved.keypadOff, t.keys_.keypadOff.data(), t.keys_.keypadOff.size());
        g_saved.keypadOffLength = t.keys_.keypadOff.size();
    }
    g_saved.keypadOnLength = 0;
    if (t.keys_.keypadOn.size() <= sizeof g_saved.keypadOn) {
        std::memcpy(g_saved.keypadOn, t.keys_.keypadOn.data(), t.keys_.keypadOn.size());
        g_saved.keypadOnLength = t.keys_.keypadOn.size();
    }
    g_saved.signalPipe = t.signalWrite_.Get();
    g_signals = 0;

    termios raw = saved;
    raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    // Ctrl+C and Ctrl+\ arrive as keys; the suspend key (Ctrl+Z) keeps its
    // signal, so the game can be stopped and brought back as any program.
    // Output processing stays, so the screen reader's lines end as usual.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
    raw.c_cc[VINTR] = _POSIX_VDISABLE;
    raw.c_cc[VQUIT] = _POSIX_VDISABLE;
    raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    raw.c_cflag |= CS8;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    g_saved.raw = raw;

    // Handlers first: a signal between raw mode and them would leave the terminal raw.
    struct sigaction quit{};
    quit.sa_handler = OnQuitSignal;
    quit.sa_flags = SA_RESTART;
    sigemptyset(&quit.sa_mask);
    for (int sig : kQuitSignals) sigaddset(&quit.sa_mask, sig);
    for (size_t i = 0; i < std::size(kQuitSignals); ++i) {
        ::sigaction(kQuitSignals[i], &quit, &g_oldQuit[i]);
    }
    // Stopping is left alone where it is ignored (a shell without job control).
    g_stopAction = {};
    g_stopAction.sa_handler = OnStop;
    g_stopAction.sa_flags = SA_RESTART;
    sigemptyset(&g_stopAction.sa_mask);
    for (int sig : kQuitSignals) sigaddset(&g_stopAction.sa_mask, sig);
    struct sigaction cont = g_stopAction;
    cont.sa_handler = OnContinue;
    for (size_t i = 0; i < std::size(kJobSignals); ++i) {
        ::sigaction(kJobSignals[i], nullptr, &g_oldJob[i]);
        g_jobInstalled[i] = g_oldJob[i].sa_handler == SIG_DFL;
        if (g_jobInstalled[i]) ::sigaction(kJobSignals[i], i == 0 ? &g_stopAction : &cont, nullptr);
    }
    // abort() restores too, unless someone (a sanitizer) already watches it.
    struct sigaction current{};
    ::sigaction(SIGABRT, nullptr, &current);
    g_abortInstalled = current.sa_handler == SIG_DFL;
    if (g_abortInstalled) {
        struct sigaction abortAction{};
        abortAction.sa_handler = OnAbort;
        sigemptyset(&abortAction.sa_mask);
        ::sigaction(SIGABRT, &abortAction, &g_oldAbort);
    }
    if (!g_atExitRegistered) {
        g_atExitRegistered = std::atexit(RestoreAtExit) == 0;
    }

    g_active = 1;
    t.active_ = true;
    if (::tcsetattr(in, TCSANOW, &raw) != 0) {
        if (why) *why = Errno("cannot set the terminal's mode");
        t.Restore();
        return std::nullopt;
    }
    t.Write(t.keys_.keypadOn);
    return t;
}

Terminal::Terminal(Terminal&& other) noexcept
    : owned_(std::move(other.owned_)),
      in_(other.in_),
      out_(other.out_),
      signalRead_(std::move(other.signalRead_)),
      signalWrite_(std::move(other.signalWrite_)),
      keys_(std::move(other.keys_)),
      encoding_(std::move(other.encoding_)),
      newline_(other.newline_),
      active_(std::exchange(other.active_, false)) {}

Terminal::~Terminal() { Restore(); }

void Terminal::Restore() {
    if (!active_) return;
    active_ = false;
    // The job handlers first: a continue after the restore would make the terminal raw again.
    for (size_t i = 0; i < std::size(kJobSignals); ++i) {
        if (g_jobInstalled[i]) ::sigaction(kJobSignals[i], &g_oldJob[i], nullptr);
        g_jobInstalled[i] = false;
    }
    RestoreNow();
    g_active = 0;
    for (size_t i = 0; i < std::size(kQuitSignals); ++i) {
        ::sigaction(kQuitSignals[i], &g_oldQuit[i], nullptr);
    }
    if (g_abortInstalled) ::sigaction(SIGABRT, &g_oldAbort, nullptr);
    g_abortInstalled = false;
    g_saved.signalPipe = -1;
}

void Terminal::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(out_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Someone made the terminal non-blocking: wait a little for room.
            pollfd p{out_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0) continue;
        }
        return;  // hung up or stuck: the line is lost, the game goes on
    }
}

void Terminal::WriteLine(const base::Utf8& line) {
    std::string out = encoding_.Out(base::TerminalSafe(line.view()));
    out += newline_;
    Write(out);
}

}  // namespace velmora::frontend
