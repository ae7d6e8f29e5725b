// The speech outputs' own rules, espeak-ng for real (no sound card needed), and
// speech-dispatcher, faked and for real, each in a home of its own.
#include <gtest/gtest.h>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/unique_fd.h"
#include "speech/drivers/espeak_output.h"
#include "speech/drivers/open_speech.h"
#include "speech/drivers/pcm_queue.h"
#include "speech/drivers/pcm_stream.h"
#include "speech/speech_router.h"
#include "speech/drivers/speechd_output.h"
#include "unit/test_folder.h"

namespace velmora::speech {
namespace {

TEST(PcmQueue, TheLastSampleOfAFinishedUtteranceEndsSpeechOnce) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Busy());
    q.Begin(1);
    const int16_t a[] = {1, 2, 3, 4, 5, 6};
    q.Append(1, a, 6);
    EXPECT_FALSE(q.Read(out, 4));  // not finished yet
    EXPECT_EQ(out[3], 4);
    EXPECT_FALSE(q.Finish(1));      // samples still waiting
    EXPECT_TRUE(q.Busy());
    EXPECT_TRUE(q.Read(out, 4));   // 5, 6, then silence
    EXPECT_EQ(out[1], 6);
    EXPECT_EQ(out[2], 0);
    EXPECT_FALSE(q.Busy());
    EXPECT_FALSE(q.Read(out, 4));  // silence is no second end
    EXPECT_EQ(q.SamplesOut(), 6u);

    // Played out before synthesis finished: Finish itself ends it.
    q.Begin(1);
    q.Append(1, a, 2);
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_TRUE(q.Finish(1));
    EXPECT_FALSE(q.Finish(1));
}

TEST(PcmQueue, ClearingCutsOffWithoutALaterEnd) {
    PcmQueue q;
    int16_t out[4];
    EXPECT_FALSE(q.Clear());  // nothing to cut
    q.Begin(1);
    const int16_t a[] = {1, 2, 3};
    q.Append(1, a, 3);
    EXPECT_TRUE(q.Clear());
    EXPECT_FALSE(q.Busy());
    q.Append(1, a, 3);            // late samples of the cut utterance are dropped
    EXPECT_FALSE(q.Finish(1));
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_EQ(out[0], 0);

    // The next text has begun when the synthesiser's last words on the cut
    // one arrive: they neither sound in it nor end it.
    q.Begin(2);
    const int16_t b[] = {7, 8};
    q.Append(2, b, 2);
    q.Append(1, a, 3);
    EXPECT_FALSE(q.Finish(1));
    EXPECT_FALSE(q.Read(out, 4));
    EXPECT_EQ(std::vector<int16_t>(out, out + 4), (std::vector<int16_t>{7, 8, 0, 0}));
    EXPECT_TRUE(q.Busy());
    EXPECT_TRUE(q.Finish(2));
}

// Frames of a feed as mono values (both channels must agree), in calls of
// the given sizes; `ends` counts the calls that reported the end of speech.
std::vector<float> FeedFrames(PcmFeed& feed, const std::vector<size_t>& calls, int* ends) {
    std::vector<float> mono;
    for (const size_t frames : calls) {
        std::vector<float> out(2 * frames, 99.0f);
        if (feed.Fill(out.data(), frames)) ++*ends;
        for (size_t i = 0; i < frames; ++i) {
            EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "frame " << i;
            mono.push_back(out[2 * i]);
        }
    }
    return mono;
}

TEST(PcmFeed, EachSampleTwiceAsMeanThenItselfWhateverTheDeviceAsksAtATime) {
    // 16384 is 0.5: the mean with the sample before, then the sample.
    const std::vector<float> expected = {0.25f, 0.5f, 0.0f, -0.5f, -0.25f, 0.0f, 0.0f, 0.0f};
    const std::vector<std::vector<size_t>> callSizes = {
        {8}, {1, 1, 1, 1, 1, 1, 1, 1}, {3, 5}, {1, 4, 3}, {5, 0, 3}, {7, 1}};
    for (const auto& calls : callSizes) {
        PcmQueue q;
        PcmFeed feed(q);
        q.Begin(1);
        const int16_t a[] = {16384, -16384, 0};
        q.Append(1, a, 3);
        q.Finish(1);
        int ends = 0;
        EXPECT_EQ(FeedFrames(feed, calls, &ends), expected) << "first call " << calls[0];
        EXPECT_EQ(ends, 1) << "first call " << calls[0];
    }
}

TEST(PcmFeed, ANewTextCutsTheOldOneOffAtTheNextBuffer) {
    const std::vector<size_t> firstCalls = {1, 3, 4, 5};  // odd ones leave half a sample behind
    for (const size_t first : firstCalls) {
        PcmQueue q;
        PcmFeed feed(q);
        q.Begin(1);
        const std::vector<int16_t> old(100, 8192);  // 0.25
        q.Append(1, old.data(), old.size());
        int ends = 0;
        FeedFrames(feed, {first}, &ends);
        q.Clear();
        q.Begin(1);
        const std::vector<int16_t> next(4, -8192);
        q.Append(1, next.data(), next.size());
        const std::vector<float> heard = FeedFrames(feed, {6}, &ends);
        EXPECT_EQ(heard, (std::vector<float>{-0.125f, -0.25f, -0.25f, -0.25f, -0.25f, -0.25f}))
            << "after " << first;
        EXPECT_EQ(ends, 0);
    }
}

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

TEST(Espeak, VoiceChoiceAndRate) {
    const std::vector<EspeakVoice> voices = {
        {"Russian", "sit/ru", {"ru"}},
        {"English", "gmw/en", {"en-gb", "en"}},
        {"Russian_Latvia", "sit/ru-LV", {"ru-lv"}},
        {"Ukrainian", "zle/uk", {"uk"}},
    };
    EXPECT_EQ(ChooseEspeakVoice(voices, ""), "Russian_Latvia");  // the last Russian one
    EXPECT_EQ(ChooseEspeakVoice(voices, "english"), "English");  // a named one wherever it stands
    EXPECT_EQ(ChooseEspeakVoice(voices, "sit/ru"), "Russian");
    EXPECT_EQ(ChooseEspeakVoice(voices, "Nobody"), "Russian_Latvia");
    EXPECT_EQ(ChooseEspeakVoice({{"English", "en", {"en"}}}, ""), "");
    // By name, identifier or its last part, with a variant: what a player may write.
    const std::vector<EspeakVoice> variants = {{"female3", "!v/f3", {"variant"}},
                                               {"Alex", "!v/Alex", {"variant"}}};
    const struct {
        const char* wanted;
        std::optional<std::string> found;
    } rows[] = {
        {"ru", "Russian"},
        {"RU-lv", "Russian_Latvia"},
        {"russian", "Russian"},
        {"ru+f3", "Russian+f3"},
        {"ru-lv+FEMALE3", "Russian_Latvia+f3"},
        {"Russian+alex", "Russian+Alex"},
        {"ru+nobody", std::nullopt},  // espeak-ng would take it and speak plainly
        {"ru+", std::nullopt},
        {"+f3", std::nullopt},
        {"nobody", std::nullopt},
        {"", std::nullopt},
        {"\xD0\xF3\xF1\xF1\xEA\xE8\xE9", std::nullopt},  // «Русский», code page 1251
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FindEspeakVoice(voices, variants, row.wanted), row.found) << row.wanted;
    }
    EXPECT_EQ(ChooseEspeakVoice(voices, "ru+nobody", variants), "Russian_Latvia");
    EXPECT_EQ(ChooseEspeakVoice(voices, "ru+f3", variants), "Russian+f3");
    EXPECT_EQ(EspeakRateFor(0), 80);
    EXPECT_EQ(EspeakRateFor(60), 200);
    EXPECT_EQ(EspeakRateFor(120), 320);
    EXPECT_EQ(EspeakRateFor(-5), 80);
    EXPECT_EQ(ParseSpeechChoice("eSpeak"), SpeechChoice::Espeak);
    EXPECT_EQ(ParseSpeechChoice("jaws"), std::nullopt);
}

// Collects what an output posts from its threads.
struct Events {
    std::mutex m;
    std::condition_variable cv;
    std::vector<SpeechEvent> got;
    PostSpeechEvent Post() {
        return [this](SpeechEvent e) {
            std::lock_guard lock(m);
            got.push_back(e);
            cv.notify_all();
        };
    }
    // Waits (bounded, so a broken engine fails instead of hanging) for n events.
    bool WaitFor(size_t n) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::seconds(20), [&] { return got.size() >= n; });
    }
    size_t Count() {
        std::lock_guard lock(m);
        return got.size();
    }
    // Polls (bounded) until the condition holds.
    template <class Condition>
    static bool Until(Condition condition) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
};

TEST(Espeak, TheSilenceBeforeATextIsDroppedAndThatWithinItKept) {
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr, /*withAudio=*/false);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    // Nothing was spoken yet: the output's text number is still 0.
    void* text = nullptr;
    struct Step {
        std::vector<short> wav;
        uint64_t made;  // samples counted so far
    };
    const std::vector<Step> steps = {
        {{0, 0, 0}, 0},           // the pause before the text
        {{0, 0, 5, 0, 7}, 3},     // from its first sound on
        {{0, 0, 0, 0}, 7},        // a pause within it
    };
    for (const Step& step : steps) {
        std::vector<short> wav = step.wav;
        voice->OnSynth(wav.data(), static_cast<int>(wav.size()), text, false);
        EXPECT_EQ(voice->SamplesMade(), step.made);
    }
}

TEST(Espeak, SynthesisesRussianIntoMemory) {
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr, /*withAudio=*/false);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    voice->Speak(base::LowerText1251(base::Utf8ToCp1251("Вы стоите у ворот старого замка.")));
    ASSERT_TRUE(events.WaitFor(1));
    EXPECT_EQ(events.got[0], SpeechEvent::VoiceStopped);
    // About two seconds of speech.
    EXPECT_GT(voice->SamplesMade(), static_cast<uint64_t>(voice->SampleRate()));
    EXPECT_GT(voice->timings().firstBuffer.load(), voice->timings().spoken.load());
}

TEST(Espeak, PlaysThroughTheStreamAndIsCutOffWithoutAFalseEnd) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Events events;
    auto voice = EspeakOutput::Open("", events.Post(), nullptr);
    if (!voice) GTEST_SKIP() << "espeak-ng with a Russian voice, or SDL audio, is missing here";
    EspeakOutput* out = voice.get();
    SpeechRouter router;
    router.OpenSpeech(std::move(voice));
    router.SayText(base::Utf8ToCp1251(
        "Длинный текст, который не успеет прозвучать до конца, потому что его перебьют."));
    ASSERT_TRUE(router.SpeechBusy);
    // Cut off once it is heard; the text lasts several seconds.
    ASSERT_TRUE(Events::Until([&] { return out->timings().firstSample.load() != 0; }));
    router.SayText(base::Utf8ToCp1251("Да."));
    // The cut-off text reports one stop, which the router ignores; the short one ends speech.
    ASSERT_TRUE(events.WaitFor(2));
    for (SpeechEvent e : events.got) router.Handle(e);
    EXPECT_FALSE(router.SpeechBusy);
    EXPECT_FALSE(router.IgnoreNextStop);
    // A false end of the cut-off text would come before the short text is
    // heard out, and the short one's end before a next text's first sample
    // (the device's thread sends both, in order): at that sample the count
    // is final.
    ASSERT_TRUE(Events::Until([&] { return !out->Speaking(); }));
    router.SayText(base::Utf8ToCp1251("Третий текст, который звучит долго."));
    ASSERT_TRUE(Events::Until([&] { return out->timings().firstSample.load() != 0; }));
    EXPECT_EQ(events.Count(), 2u);
}

}  // namespace
}  // namespace velmora::speech

namespace velmora::speech {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

using Fd = base::UniqueFd;

// Sets variables for one test and puts the old values back.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                ::unsetenv(it->first.c_str());
            }
        }
    }
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Every process whose environment names this runtime folder: a daemon
// started there, its modules, anything they started. Pidfds, so that a
// number freed and taken again meanwhile is never signalled.
std::vector<Fd> ProcessesOf(const std::string& runtimeDir) {
    const std::string mark = "XDG_RUNTIME_DIR=" + runtimeDir;
    std::vector<Fd> found;
    std::error_code error;  // no throwing: this runs in a destructor
    for (std::filesystem::directory_iterator it("/proc", error), last; !error && it != last;
         it.increment(error)) {
        const std::filesystem::directory_entry& entry = *it;
        char* end = nullptr;
        const std::string name = entry.path().filename().string();
        const long pid = std::strtol(name.c_str(), &end, 10);
        if (end == name.c_str() || *end != 0 || pid == ::getpid()) continue;
        Fd process(static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)));
        if (!process.Valid()) continue;
        std::ifstream in(entry.path() / "environ", std::ios::binary);
        std::string variable;
        while (std::getline(in, variable, '\0')) {
            if (variable == mark) {
                found.push_back(std::move(process));
                break;
            }
        }
    }
    return found;
}

// speech-dispatcher without a sound device may hang on its way out and
// ignore SIGTERM: what does not end soon is killed. Every wait is bounded.
void EndProcessesOf(const std::string& runtimeDir) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        std::vector<Fd> processes = ProcessesOf(runtimeDir);
        if (processes.empty()) return;
        for (const Fd& p : processes) {
            ::syscall(SYS_pidfd_send_signal, p.Get(), signal, nullptr, 0);
        }
        const auto until = Clock::now() + std::chrono::seconds(3);
        for (const Fd& p : processes) {
            // A pidfd turns readable when its process has ended.
            pollfd ended{p.Get(), POLLIN, 0};
            const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
            ::poll(&ended, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
            // The launcher is our child: reaped, it leaves no zombie.
            siginfo_t info{};
            ::waitid(P_PIDFD, static_cast<id_t>(p.Get()), &info, WEXITED | WNOHANG);
        }
    }
}

// A home of its own for the daemons a test starts or fakes: their socket, pid
// file and logs stay in a temporary folder, a daemon left running elsewhere
// (on the usual socket, perhaps stuck) is never talked to, and whatever was
// started here is ended with the test.
class DaemonHome {
public:
    DaemonHome() {
        const std::filesystem::path& root = folder_.path();
        for (const char* sub : {"run", "config", "cache", "data", "state"}) {
            std::filesystem::create_directory(root / sub);
        }
        std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
        env_.Set("HOME", root.string());
        env_.Set("XDG_RUNTIME_DIR", Runtime());
        env_.Set("XDG_CONFIG_HOME", (root / "config").string());
        env_.Set("XDG_CACHE_HOME", (root / "cache").string());
        env_.Set("XDG_DATA_HOME", (root / "data").string());
        env_.Set("XDG_STATE_HOME", (root / "state").string());
        env_.Set("TMPDIR", root.string());
        // libspeechd keeps the runtime folder it saw first; the address it reads each time.
        env_.Set("SPEECHD_ADDRESS", "unix_socket:" + Socket());
    }
    ~DaemonHome() { EndProcessesOf(Runtime()); }
    DaemonHome(const DaemonHome&) = delete;
    DaemonHome& operator=(const DaemonHome&) = delete;

    std::string Runtime() const { return (folder_.path() / "run").string(); }
    std::string Socket() const { return Runtime() + "/speech-dispatcher/speechd.sock"; }
    std::string Path(const std::string& name) const { return (folder_.path() / name).string(); }

private:
    test::TestFolder folder_;
    ScopedEnv env_;
};

// Answers like speech-dispatcher, every text beginning and ending at once,
// until the command it is told to hang at; from then on that connection gets
// no answer. It gives up by itself after a while, closing everything, so a
// client that would wait for ever cannot hang the test: that it had to give
// up is the failure.
class FakeDaemon {
public:
    FakeDaemon(const std::string& path, std::string hangAt, bool accepting = true,
               bool endTexts = true)
        : path_(path), hangAt_(std::move(hangAt)), accepting_(accepting), endTexts_(endTexts) {
        listener_ = Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (path.size() < sizeof addr.sun_path) {
            std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        }
        ready_ = ::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                 ::listen(listener_.Get(), 0) == 0;
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeDaemon() {
        stop_ = true;
        thread_.join();
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    FakeDaemon(const FakeDaemon&) = delete;
    FakeDaemon& operator=(const FakeDaemon&) = delete;

    bool Ready() const { return ready_; }
    // Every command line and text it was sent, in order.
    std::vector<std::string> Heard() {
        std::lock_guard lock(m_);
        return heard_;
    }
    bool GaveUp() const { return gaveUp_; }
    int Connections() const { return accepted_; }
    // Whether every client has closed its connection, within the bound.
    bool ClientsGone(milliseconds bound) const {
        const auto until = Clock::now() + bound;
        while (closed_ < accepted_ && Clock::now() < until) {
            std::this_thread::sleep_for(milliseconds(10));
        }
        return closed_ == accepted_;
    }

private:
    struct Client {
        Fd fd;
        std::string in;
        bool data = false;
        bool silent = false;
    };

    static bool StartsWith(std::string_view line, std::string_view word) {
        return line.size() >= word.size() &&
               ::strncasecmp(line.data(), word.data(), word.size()) == 0;
    }

    void Send(Client& c, const std::string& text) {
        ::send(c.fd.Get(), text.data(), text.size(), MSG_NOSIGNAL);
    }

    void Answer(Client& c, std::string_view line) {
        if (c.silent) return;
        {
            std::lock_guard lock(m_);
            heard_.emplace_back(line);
        }
        if (c.data) {
            if (line == ".") {
                const std::string id = std::to_string(++messages_);
                Send(c, "225-" + id + "\r\n225 OK MESSAGE QUEUED\r\n");
                Send(c, "701-" + id + "\r\n701-1\r\n701 BEGIN\r\n");
                if (endTexts_) Send(c, "702-" + id + "\r\n702-1\r\n702 END\r\n");
                c.data = false;
            }
            return;
        }
        if (StartsWith(line, "LIST SYNTHESIS_VOICES")) {
            // As the daemon's espeak-ng module names them, and one of another engine.
            Send(c, "249-Russian\tru\tnone\r\n249-Russian+Alex\tru\tAlex\r\n"
                    "249-English\ten\tnone\r\n249-Елена\tru-RU\tnone\r\n"
                    "249 OK VOICE LIST SENT\r\n");
            return;
        }
        if (!hangAt_.empty() && StartsWith(line, hangAt_)) {
            c.silent = true;
        } else if (StartsWith(line, "SPEAK")) {
            Send(c, "230 OK RECEIVING DATA\r\n");
            c.data = true;
        } else {
            Send(c, "200 OK\r\n");
        }
    }

    void Serve() {
        const auto giveUpAt = Clock::now() + std::chrono::seconds(15);
        std::vector<Client> clients;
        while (!stop_) {
            if (Clock::now() >= giveUpAt) {
                gaveUp_ = true;
                break;
            }
            std::vector<pollfd> fds;
            fds.push_back({accepting_ ? listener_.Get() : -1, POLLIN, 0});
            for (const Client& c : clients) fds.push_back({c.fd.Get(), POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            for (size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents == 0) continue;
                Client& c = clients[i - 1];
                char buffer[4096];
                const ssize_t got = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
                if (got <= 0) {
                    if (got < 0 && errno == EAGAIN) continue;
                    c.fd.Reset();
                    ++closed_;
                    continue;
                }
                c.in.append(buffer, static_cast<size_t>(got));
                for (size_t end; (end = c.in.find("\r\n")) != std::string::npos;) {
                    const std::string line = c.in.substr(0, end);
                    c.in.erase(0, end + 2);
                    Answer(c, line);
                }
            }
            std::erase_if(clients, [](const Client& c) { return !c.fd.Valid(); });
            if (fds[0].revents != 0) {
                Fd client(
                    ::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
                if (client.Valid()) {
                    clients.emplace_back();
                    clients.back().fd = std::move(client);
                    ++accepted_;
                }
            }
        }
        // Closing ends every wait on us, a connect waiting for room included.
        listener_.Reset();
        clients.clear();
    }

    std::string path_;
    std::string hangAt_;
    bool accepting_;
    bool endTexts_;
    bool ready_ = false;
    std::mutex m_;
    std::vector<std::string> heard_;
    Fd listener_;
    int messages_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> gaveUp_{false};
    std::atomic<int> accepted_{0};
    std::atomic<int> closed_{0};
    std::thread thread_;
};

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
    EXPECT_FALSE(out->SetVoice("nobody"));
    EXPECT_TRUE(out->SetVoice("russian+alex"));  // as the daemon names it, in any case
    EXPECT_TRUE(out->SetVoice("Елена"));
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

TEST(Voices, EveryVoiceListedIsOneThePlayerCanName) {
    DaemonHome home;  // no daemon: none is started to list its voices
    const std::vector<VoiceEntry> alone = ListRussianVoices();
    EXPECT_FALSE(std::filesystem::exists(home.Socket()));
    if (alone.empty()) GTEST_SKIP() << "espeak-ng with a Russian voice is not installed here";
    const std::vector<EspeakVoice> voices = ListEspeakVoices();
    const std::vector<EspeakVoice> variants = ListEspeakVariants();
    bool plain = false, variant = false;
    for (const VoiceEntry& v : alone) {
        EXPECT_EQ(v.engine, "espeak-ng");
        EXPECT_TRUE(FindEspeakVoice(voices, variants, base::Utf8ToCp1251(v.name))) << v.name;
        EXPECT_TRUE(v.language == "ru" || v.language.rfind("ru-", 0) == 0) << v.language;
        plain = plain || v.name == "ru";
        variant = variant || v.name == "ru+f3";
    }
    EXPECT_TRUE(plain);
    EXPECT_TRUE(variant);
    auto named = EspeakOutput::Open("RU+f3", nullptr, nullptr, /*withAudio=*/false);
    ASSERT_NE(named, nullptr);
    EXPECT_TRUE(named->NamedVoiceFound());
    EXPECT_EQ(named->VoiceName(), "Russian+f3");
    named.reset();

    // A daemon running: its Russian voices too, as it names them.
    FakeDaemon daemon(home.Socket(), "");
    ASSERT_TRUE(daemon.Ready());
    std::vector<std::string> daemons;
    for (const VoiceEntry& v : ListRussianVoices()) {
        if (v.engine == "speech-dispatcher") daemons.push_back(v.name + "|" + v.language + "|" + v.note);
    }
    EXPECT_EQ(daemons, (std::vector<std::string>{"Russian|ru|", "Russian+Alex|ru|Alex",
                                                 "Елена|ru-RU|"}));
    EXPECT_TRUE(daemon.ClientsGone(milliseconds(2000)));
}

}  // namespace
}  // namespace velmora::speech
