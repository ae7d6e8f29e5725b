// speech-dispatcher's output, faked and for real, each in a home of its own:
// its notices, a daemon that stops answering, one lost and found again.
#include <gtest/gtest.h>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/encoding.h"
#include "speech/drivers/speechd_output.h"
#include "unit/speech/speech_fixture.h"

namespace velmora::speech::test {
namespace {

TEST(Speechd, OnlyTheLatestTextsEndCountsAndRateMapping) {
    using N = SpeechdNotice;
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::End, 7, 7, false));
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::Cancel, 7, 7, false));  // the screen reader cut us
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Cancel, 7, 7, true));  // our next text cut it
    EXPECT_TRUE(SpeechdNoticeEndsSpeech(N::End, 8, 7, true));      // the new one, not yet numbered
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Cancel, 6, 7, false)); // an older one
    EXPECT_FALSE(SpeechdNoticeEndsSpeech(N::Begin, 7, 7, false));
    EXPECT_EQ(SpeechdRateFor(60), 0);
    EXPECT_EQ(SpeechdRateFor(0), -100);
    EXPECT_EQ(SpeechdRateFor(120), 100);
    EXPECT_EQ(SpeechdRateFor(90), 50);
    EXPECT_EQ(SpeechdRateFor(500), 100);
}

TEST(Speechd, ATextBeginsAndEndsByTheDaemonsNotices) {
    DaemonHome home;
    FakeDaemon daemon(home.Socket(), "");
    ASSERT_TRUE(daemon.Ready());
    Events events;
    auto out = SpeechdOutput::Open(false, 0, events.Post(), nullptr);
    ASSERT_NE(out, nullptr);
    out->Speak(base::Utf8ToCp1251("Проверка"));
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_EQ(events.got[0], SpeechEvent::SpeechEnded);
    EXPECT_GT(out->beganAt.load(), out->spokenAt.load());
    EXPECT_FALSE(out->Lost());
    out.reset();
    EXPECT_TRUE(daemon.ClientsGone(milliseconds(2000)));
    EXPECT_FALSE(daemon.GaveUp());
}

TEST(Speechd, ADaemonThatStopsAnsweringNeverHoldsUsUp) {
    DaemonHome home;
    {
        // It accepts no one, and its queue of connections is full: a plain
        // connect would wait for room for ever.
        FakeDaemon daemon(home.Socket(), "", /*accepting=*/false);
        ASSERT_TRUE(daemon.Ready());
        std::vector<Fd> queued;
        bool full = false;
        for (int i = 0; i < 64 && !full; ++i) {
            Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::memcpy(addr.sun_path, home.Socket().c_str(), home.Socket().size() + 1);
            full = ::connect(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
                   errno == EAGAIN;
            queued.push_back(std::move(fd));
        }
        ASSERT_TRUE(full);
        EXPECT_EQ(SpeechdOutput::Open(false, 0, nullptr, nullptr), nullptr);
        EXPECT_FALSE(daemon.GaveUp());
    }
    {
        // It answers the probe, then hangs at the greeting.
        FakeDaemon daemon(home.Socket(), "SET SELF CLIENT_NAME");
        ASSERT_TRUE(daemon.Ready());
        EXPECT_EQ(SpeechdOutput::Open(false, 0, nullptr, nullptr), nullptr);
        EXPECT_FALSE(daemon.GaveUp());
        EXPECT_EQ(daemon.Connections(), 2);  // the probe and libspeechd's
        EXPECT_TRUE(daemon.ClientsGone(milliseconds(2000)));
    }
    {
        // It takes us on, then hangs at our text: the text ends unspoken, the
        // game goes on, and later calls do not wait again.
        FakeDaemon daemon(home.Socket(), "SET SELF PRIORITY");
        ASSERT_TRUE(daemon.Ready());
        Events events;
        auto out = SpeechdOutput::Open(false, 0, events.Post(), nullptr);
        ASSERT_NE(out, nullptr);
        out->reconnectAttempts = 0;  // seeking it again is tested on its own
        out->Speak(base::Utf8ToCp1251("Проверка"));
        EXPECT_TRUE(out->Lost());
        EXPECT_FALSE(daemon.GaveUp());
        out->SetRate(90);
        out->Speak(base::Utf8ToCp1251("Ещё"));
        ASSERT_TRUE(events.WaitFor(2));
        EXPECT_EQ(events.got, std::vector<SpeechEvent>(2, SpeechEvent::SpeechEnded));
        EXPECT_EQ(out->beganAt.load(), 0);
        out.reset();
        EXPECT_TRUE(daemon.ClientsGone(milliseconds(2000)));
        EXPECT_EQ(daemon.Connections(), 2);
        EXPECT_FALSE(daemon.GaveUp());
    }
}

TEST(Speechd, AStartedDaemonBeginsOurText) {
    DaemonHome home;  // the daemon started here is ended with it
    auto out = SpeechdOutput::Open(true, 10000, nullptr, nullptr);
    if (!out) GTEST_SKIP() << "speech-dispatcher could not be started here, or did not answer";
    out->Speak(base::Utf8ToCp1251("Проверка"));
    if (out->Lost()) GTEST_SKIP() << "speech-dispatcher stopped answering";
    // Without an audio sink the daemon reports the beginning but never the end.
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (out->beganAt == 0 && Clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(10));
    }
    if (out->beganAt == 0) {
        out->SetRate(60);  // a round trip: does it still answer at all?
        if (out->Lost()) GTEST_SKIP() << "speech-dispatcher stopped answering";
    }
    EXPECT_GT(out->beganAt.load(), out->spokenAt.load());
}

TEST(Speechd, AVoiceLostIsSoughtAgainWithItsSettingsAndItsLossToldOnce) {
    DaemonHome home;
    ScopedEnv env;
    env.Set("PATH", home.Path("nowhere"));  // no real daemon takes the fake's place
    Events events;
    std::ostringstream report;
    std::optional<FakeDaemon> daemon;
    daemon.emplace(home.Socket(), "", true, /*endTexts=*/false);
    ASSERT_TRUE(daemon->Ready());
    auto out = SpeechdOutput::Open(false, 0, events.Post(), nullptr);
    ASSERT_NE(out, nullptr);
    out->report = &report;
    out->reconnectDelayMs = 20;
    EXPECT_FALSE(out->SetVoice(base::Utf8("nobody")));
    EXPECT_TRUE(out->SetVoice(base::Utf8("russian+alex")));  // as the daemon names it, in any case
    EXPECT_TRUE(out->SetVoice(base::Utf8("Елена")));
    out->SetRate(90);
    out->Speak(base::Utf8ToCp1251("Первый"));  // begun, and its end never comes

    // The daemon goes: the text being spoken ends, and so do texts meanwhile.
    daemon.reset();
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_TRUE(out->Lost());
    out->Speak(base::Utf8ToCp1251("Пропавший"));
    ASSERT_TRUE(events.WaitFor(2));

    // It is back: the next text says so, once, with the voice and rate chosen before.
    daemon.emplace(home.Socket(), "", true, false);
    ASSERT_TRUE(daemon->Ready());
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (out->Lost() && Clock::now() < until) {
        std::this_thread::sleep_for(milliseconds(20));
        out->Speak(base::Utf8ToCp1251("Второй"));
    }
    ASSERT_FALSE(out->Lost());
    out->Speak(base::Utf8ToCp1251("Третий"));
    // The last text sent: once the daemon has it, it has all that came before.
    std::vector<std::string> heard;
    ASSERT_TRUE(Events::Until([&] {
        heard = daemon->Heard();
        return std::find(heard.begin(), heard.end(), "Третий") != heard.end();
    }));
    auto count = [&](const std::string& line) { return std::count(heard.begin(), heard.end(), line); };
    EXPECT_EQ(count("SET SELF LANGUAGE ru"), 1);
    EXPECT_EQ(count("SET SELF SYNTHESIS_VOICE Елена"), 1);
    EXPECT_EQ(count("SET SELF RATE 50"), 1);
    EXPECT_EQ(count("Голос восстановлен. Второй"), 1);
    EXPECT_EQ(count("Третий"), 1);
    EXPECT_EQ(report.str(),
              "velmora: speech: speech-dispatcher was lost; reconnecting\n"
              "velmora: speech: speech-dispatcher is back\n");

    // Gone for good: said once, and no text waits for it.
    out->reconnectAttempts = 2;
    daemon.reset();
    report.str("");
    const size_t before = events.Count();
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (report.str().find("did not come back") == std::string::npos && Clock::now() < giveUp) {
        std::this_thread::sleep_for(milliseconds(20));
        out->Speak(base::Utf8ToCp1251("Никому"));
    }
    out->Speak(base::Utf8ToCp1251("Никому"));
    EXPECT_EQ(report.str(),
              "velmora: speech: speech-dispatcher was lost; reconnecting\n"
              "velmora: speech: speech-dispatcher did not come back; no voice\n");
    EXPECT_GE(events.Count(), before + 2);
}

TEST(Speechd, AWriteToADaemonGoneMeanwhileLeavesTheGameRunning) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    Fd ours(ends[0]);
    Fd(ends[1]).Reset();
    ssize_t written = 0;
    int error = 0;
    // Unguarded, SIGPIPE would end this test program here.
    WithoutSigpipe([&] {
        written = ::write(ours.Get(), "x", 1);
        error = errno;
    });
    EXPECT_EQ(written, -1);
    EXPECT_EQ(error, EPIPE);
    sigset_t set;
    ASSERT_EQ(::sigpending(&set), 0);
    EXPECT_EQ(sigismember(&set, SIGPIPE), 0);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, nullptr, &set), 0);
    EXPECT_EQ(sigismember(&set, SIGPIPE), 0);
}

TEST(Speechd, ADaemonStartedForUsComesBackWhenKilledAndEndsWithUs) {
    DaemonHome home;
    // The daemon leaves its starter; it is ours to reap once killed, or its
    // number would stay taken where nothing reaps orphans (some containers),
    // and a new daemon would think it still runs.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    struct Unreap {
        ~Unreap() { ::prctl(PR_SET_CHILD_SUBREAPER, 0); }
    } unreap;
    std::ostringstream report;
    auto out = SpeechdOutput::Open(true, 10000, nullptr, nullptr);
    if (!out) GTEST_SKIP() << "speech-dispatcher could not be started here, or did not answer";
    out->report = &report;
    const int first = out->StartedDaemon();
    ASSERT_GT(first, 0);
    out->Speak(base::Utf8ToCp1251("Проверка"));
    if (out->Lost()) GTEST_SKIP() << "speech-dispatcher stopped answering";

    ::kill(first, SIGKILL);
    ASSERT_EQ(::waitpid(first, nullptr, 0), first);
    const auto until = Clock::now() + std::chrono::seconds(20);
    do {
        std::this_thread::sleep_for(milliseconds(50));
        out->Speak(base::Utf8ToCp1251("Снова"));
    } while ((out->Lost() || out->StartedDaemon() == first) && Clock::now() < until);
    ASSERT_FALSE(out->Lost()) << report.str();
    const int second = out->StartedDaemon();
    ASSERT_GT(second, 0);
    EXPECT_NE(second, first);
    EXPECT_NE(report.str().find("speech-dispatcher is back"), std::string::npos);

    // Without a sound device this daemon hangs on its way out, ignoring SIGTERM.
    Fd process(static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(second), 0)));
    ASSERT_TRUE(process.Valid());
    out.reset();
    pollfd ended{process.Get(), POLLIN, 0};
    EXPECT_EQ(::poll(&ended, 1, 5000), 1) << "the daemon started for us outlived us";
}

}  // namespace
}  // namespace velmora::speech::test
