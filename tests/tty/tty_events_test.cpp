#include "frontend/tty/tty_events.h"

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "base/encoding.h"
#include "base/unique_fd.h"
#include "frontend/tty/terminal.h"
#include "frontend/tty/tty_front_end.h"

namespace velmora::frontend {
namespace {

using namespace std::chrono_literals;
using shell::Event;
using Kind = shell::Event::Kind;

// A pseudo-terminal: the test types on the master side, the game has the slave.
struct Pty {
    base::UniqueFd master, slave;
    Pty() {
        int m = -1, s = -1;
        if (::openpty(&m, &s, nullptr, nullptr, nullptr) == 0) {
            master = base::UniqueFd(m);
            slave = base::UniqueFd(s);
        }
    }
    void Type(std::string_view bytes) const {
        EXPECT_EQ(::write(master.Get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the game wrote, as far as it came within a short while.
    std::string Output() const {
        std::string out;
        pollfd p{master.Get(), POLLIN, 0};
        char buf[256];
        while (::poll(&p, 1, 100) > 0) {
            const ssize_t n = ::read(master.Get(), buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }
    termios Mode() const {
        termios t{};
        EXPECT_EQ(::tcgetattr(slave.Get(), &t), 0);
        return t;
    }
};

// The next event that is not a tick.
std::optional<Event> NextKeyOrQuit(TtyEvents& events) {
    for (;;) {
        auto e = events.Next();
        if (!e || e->kind != Kind::Tick) return e;
    }
}

std::string Describe(const std::optional<Event>& e) {
    if (!e) return "none";
    return std::to_string(static_cast<int>(e->kind)) + " key " + std::to_string(e->key) + " ch " +
           std::to_string(static_cast<unsigned char>(e->ch));
}

void ExpectKey(TtyEvents& events, int key, std::optional<char> typed, bool ctrl = false) {
    auto down = NextKeyOrQuit(events);
    ASSERT_TRUE(down && down->kind == Kind::KeyDown && down->key == key) << Describe(down);
    EXPECT_EQ(down->shift.Ctrl, ctrl);
    if (typed) {
        auto press = NextKeyOrQuit(events);
        ASSERT_TRUE(press && press->kind == Kind::KeyPress && press->ch == *typed) << Describe(press);
    }
    auto up = NextKeyOrQuit(events);
    ASSERT_TRUE(up && up->kind == Kind::KeyUp && up->key == key) << Describe(up);
}

TEST(Terminal, RawWhileOpenAndRestoredAfter) {
    Pty pty;
    ASSERT_TRUE(pty.slave.Valid());
    const termios before = pty.Mode();
    ASSERT_TRUE(before.c_lflag & ICANON);
    {
        std::string why;
        auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
        ASSERT_TRUE(term) << why;
        const termios raw = pty.Mode();
        EXPECT_FALSE(raw.c_lflag & (ICANON | ECHO | IEXTEN));
        // Ctrl+C and Ctrl+\ are keys; Ctrl+Z still stops the game.
        EXPECT_TRUE(raw.c_lflag & ISIG);
        EXPECT_EQ(raw.c_cc[VINTR], _POSIX_VDISABLE);
        EXPECT_EQ(raw.c_cc[VQUIT], _POSIX_VDISABLE);
        EXPECT_EQ(raw.c_cc[VSUSP], before.c_cc[VSUSP]);
        EXPECT_FALSE(raw.c_iflag & (ICRNL | IXON));
        EXPECT_TRUE(raw.c_oflag & OPOST);  // "\n" still starts a new line
        // One terminal at a time: a second would restore the wrong mode.
        std::string second;
        EXPECT_FALSE(Terminal::OpenOn(pty.slave.Get(), &second, "xterm"));
        EXPECT_FALSE(second.empty());

        term->WriteLine(base::ToUtf8("\xcc\xe5\xed\xfe"));
        EXPECT_EQ(pty.Output(), "\x1b[?1h\x1b=" "Меню\r\n");  // keypad on, then the line
        // Moved, the terminal is restored once, by its new owner.
        std::optional<Terminal> moved(std::move(*term));
        term.reset();
        EXPECT_FALSE(pty.Mode().c_lflag & ICANON);
    }
    const termios after = pty.Mode();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(pty.Output(), "\x1b[?1l\x1b>");  // keypad off
    std::string why;
    EXPECT_TRUE(Terminal::OpenOn(pty.slave.Get(), &why, "xterm")) << why;
}

TEST(TtyEvents, KeysFromTheTerminal) {
    Pty pty;
    std::string why;
    auto term = Terminal::OpenOn(pty.slave.Get(), &why, "linux");
    ASSERT_TRUE(term) << why;
    TtyEvents events(*term);
    TtyFrontEnd frontEnd(events, nullptr, nullptr);
    auto first = events.Next();
    ASSERT_TRUE(first && first->kind == Kind::Tick);  // the program starts at once

    pty.Type("\x1b[A\r");
    ExpectKey(events, 38, std::nullopt);
    ExpectKey(events, 13, '\r');
    EXPECT_EQ(frontEnd.KeyboardLayout(), "00000419");
    pty.Type("q");
    ExpectKey(events, 'Q', 'q');
    EXPECT_EQ(frontEnd.KeyboardLayout(), "00000409");
    pty.Type("ф");
    ExpectKey(events, 'A', '\xf4');
    EXPECT_EQ(frontEnd.KeyboardLayout(), "00000419");
    // A lone Escape comes once the short wait for a sequence is over.
    const auto t0 = std::chrono::steady_clock::now();
    pty.Type("\x1b");
    ExpectKey(events, 27, '\x1b');
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 45ms);
    pty.Type("\x1b[20~");  // F9
    ExpectKey(events, 'M', std::nullopt, true);

    // Ctrl+C ends the game; nothing comes after.
    pty.Type("\x03x");
    auto quit = NextKeyOrQuit(events);
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->kind, Kind::Quit);
    EXPECT_FALSE(events.Next());
}

TEST(TtyEvents, SignalsAndHangUpEndTheGame) {
    {
        Pty pty;
        std::string why;
        auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
        ASSERT_TRUE(term) << why;
        TtyEvents events(*term);
        events.Next();
        std::raise(SIGTERM);  // turned into a byte: the test goes on
        auto quit = NextKeyOrQuit(events);
        ASSERT_TRUE(quit);
        EXPECT_EQ(quit->kind, Kind::Quit);
    }
    {
        Pty pty;
        std::string why;
        auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
        ASSERT_TRUE(term) << why;
        TtyEvents events(*term);
        events.Next();
        pty.master.Reset();
        auto quit = NextKeyOrQuit(events);
        ASSERT_TRUE(quit);
        EXPECT_EQ(quit->kind, Kind::Quit);
    }
}

// A closed terminal sends two hang-ups a millisecond apart: the second must
// not cut off the autosave the first asked for. Only a game that has not
// ended seconds after the first is ended by a later signal.
TEST(TtyEventsDeathTest, ALaterSignalExitsOnlyWhenTheGameSeemsStuck) {
    Pty pty;
    ASSERT_TRUE(pty.slave.Valid());
    EXPECT_EXIT(
        {
            std::string why;
            auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
            if (!term) std::_Exit(3);
            std::raise(SIGHUP);
            std::raise(SIGTERM);
            std::raise(SIGHUP);
            term->Restore();
            std::_Exit(4);  // the game went on to end as it does
        },
        ::testing::ExitedWithCode(4), "");
    EXPECT_EXIT(
        {
            std::string why;
            auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
            if (!term) std::_Exit(3);
            std::raise(SIGHUP);
            // Stuck: signals keep coming until one ends it, well within the deadline.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (std::chrono::steady_clock::now() < deadline) {
                std::raise(SIGTERM);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "");
    EXPECT_TRUE(pty.Mode().c_lflag & ICANON);
    EXPECT_TRUE(pty.Mode().c_lflag & ECHO);

    // abort() also leaves the terminal as it found it.
    EXPECT_EXIT(
        {
            std::string why;
            auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
            std::abort();
        },
        ::testing::KilledBySignal(SIGABRT), "");
    EXPECT_TRUE(pty.Mode().c_lflag & ICANON);
}

// Ctrl+Z gives the shell its terminal as it was; fg gives the game raw mode
// and its keypad again, so an arrow acts at once. A continue after a stop the
// game could not see (SIGSTOP) makes the terminal raw again too.
TEST(Terminal, StopRestoresAndContinueTakesRawModeBack) {
    Pty pty;
    ASSERT_TRUE(pty.slave.Valid());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process group of its own, with a parent outside: the stop is not dropped.
        ::setpgid(0, 0);
        std::signal(SIGTSTP, SIG_DFL);
        std::string why;
        auto term = Terminal::OpenOn(pty.slave.Get(), &why, "xterm");
        if (!term) std::_Exit(3);
        std::raise(SIGTSTP);
        termios t{};
        ::tcgetattr(pty.slave.Get(), &t);
        if (t.c_lflag & ICANON) std::_Exit(4);
        t.c_lflag |= ICANON | ECHO;  // as a shell leaves it
        ::tcsetattr(pty.slave.Get(), TCSANOW, &t);
        std::raise(SIGCONT);
        ::tcgetattr(pty.slave.Get(), &t);
        std::_Exit(t.c_lflag & ICANON ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << status;
    EXPECT_TRUE(pty.Mode().c_lflag & ICANON);
    EXPECT_TRUE(pty.Mode().c_lflag & ECHO);
    EXPECT_EQ(pty.Output(), "\x1b[?1h\x1b=\x1b[?1l\x1b>");  // keypad on, and off for the shell
    ::kill(child, SIGCONT);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(pty.Mode().c_lflag & ICANON);
    EXPECT_TRUE(pty.Output().starts_with("\x1b[?1h\x1b="));
}

// A KOI8-R terminal: lines in its bytes, its letters typed read as letters.
TEST(Terminal, LinesAndKeysInTheTerminalsOwnSet) {
    Pty pty;
    std::string why;
    auto term = Terminal::OpenOn(pty.slave.Get(), &why, "linux", "KOI8-R");
    ASSERT_TRUE(term) << why;
    pty.Output();
    term->WriteLine(base::Utf8("Да \x1b[2J"));
    EXPECT_EQ(pty.Output(), "\xE4\xC1 ?[2J\r\n");
    TtyEvents events(*term);
    events.Next();
    pty.Type("\xE4");  // Д
    ExpectKey(events, 'L', '\xc4');
}

TEST(TtyEvents, AScriptPlaysInRealTimeWithTicks) {
    TtyEvents events(ParseKeyScript("Down\nwait 350\ntype ф\n", "test"));
    TtyFrontEnd frontEnd(events, nullptr, nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    int ticks = 0;
    std::vector<Event> keys;
    while (auto e = events.Next()) {
        if (e->kind == Kind::Tick) {
            ticks += e->ticks;
        } else {
            keys.push_back(*e);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(elapsed, 350ms);
    EXPECT_LT(elapsed, 2000ms);
    // The ticks of the time that really passed, neither more nor fewer.
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, elapsed / 100ms + 1);
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].kind, Kind::KeyDown);
    EXPECT_EQ(keys[0].key, 40);
    EXPECT_EQ(keys[1].kind, Kind::KeyUp);
    EXPECT_EQ(keys[3].kind, Kind::KeyPress);
    EXPECT_EQ(keys[3].ch, '\xf4');
    EXPECT_EQ(frontEnd.KeyboardLayout(), "00000419");
    EXPECT_FALSE(events.Next());  // used up for good
}

TEST(TtyEvents, PostWakesAWaitFromAnotherThread) {
    TtyEvents events(ParseKeyScript("wait 3000\n", "test"));
    events.Next();
    const auto t0 = std::chrono::steady_clock::now();
    std::thread poster([&events] {
        std::this_thread::sleep_for(50ms);
        events.Post(Event::Of(Kind::SpeechEnded));
    });
    std::optional<Event> e;
    do {
        e = events.Next();
    } while (e && e->kind == Kind::Tick);
    poster.join();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, Kind::SpeechEnded);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1000ms);
}

TEST(TtyEvents, TicksThatPassedWhileBusyComeAsOne) {
    TtyEvents events(ParseKeyScript("wait 1000\n", "test"));
    const auto t0 = std::chrono::steady_clock::now();
    events.Next();
    std::this_thread::sleep_for(320ms);  // the game was busy
    auto e = events.Next();
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, Kind::Tick);
    EXPECT_GE(e->ticks, 3);
    EXPECT_LE(e->ticks, elapsed / 100ms);
}

}  // namespace
}  // namespace velmora::frontend
