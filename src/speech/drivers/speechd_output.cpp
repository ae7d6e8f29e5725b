#include "speech/drivers/speechd_output.h"

#include <libspeechd.h>

#include <strings.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "base/encoding.h"
#include "base/unique_fd.h"
#include "speech/drivers/speechd_calls.h"
#include "speech/drivers/speechd_connection.h"
#include "speech/drivers/speechd_daemon.h"
#include "speech/drivers/speechd_keeper.h"
#include "speech/drivers/speechd_socket.h"

namespace velmora::speech {

using base::UniqueFd;
using speechd::CallWatch;
using speechd::Clock;
using speechd::CloseConnection;
using speechd::Connect;
using speechd::Connection;
using speechd::DaemonSocket;
using speechd::kAnswerBound;
using speechd::kProbeMs;
using speechd::milliseconds;
using speechd::SameSocket;
using speechd::StartAndConnect;
using speechd::StopDaemon;
using speechd::VoicesOn;

namespace {

// libspeechd's callbacks carry no user data; one connection per process.
std::atomic<SpeechdOutput*> g_active{nullptr};

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void OnBegin(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::Begin, id);
}
void OnEnd(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::End, id);
}
void OnCancel(size_t id, size_t, SPDNotificationType) {
    if (SpeechdOutput* o = g_active.load()) o->OnNotice(SpeechdNotice::Cancel, id);
}

SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }

const char kVoiceBack[] = "Голос восстановлен.";

}  // namespace

struct SpeechdOutput::Guard {
    explicit Guard(UniqueFd fd) : witness(std::move(fd)) {}
    UniqueFd witness;  // before the watch, which cuts through it
    CallWatch watch{[fd = witness.Get()] { ::shutdown(fd, SHUT_RDWR); }};
};

std::vector<SpeechdVoice> ListSpeechdVoices() {
    const std::optional<std::string> path = DaemonSocket();
    if (!path) return {};  // a network address: no bound on its answers
    Connection conn = Connect(path, kProbeMs);
    if (conn.c == nullptr) return {};
    std::vector<SpeechdVoice> voices;
    {
        const int witness = conn.witness.Get();
        CallWatch watch([witness] { ::shutdown(witness, SHUT_RDWR); });
        watch.Run(kAnswerBound, [&] { voices = VoicesOn(conn.c); });
    }
    CloseConnection(conn.c, conn.witness.Get());
    return voices;
}

int SpeechdRateFor(int setting) {
    // 60 is speech-dispatcher's own default speed (0); 0 and 120 its ends.
    return std::clamp((std::clamp(setting, 0, 120) - 60) * 100 / 60, -100, 100);
}

bool SpeechdNoticeEndsSpeech(SpeechdNotice notice, long long messageId, long long latestId,
                             bool handing) {
    if (notice == SpeechdNotice::Begin) return false;
    return messageId > latestId || (messageId == latestId && !handing);
}

std::unique_ptr<SpeechdOutput> SpeechdOutput::Open(bool autospawn, int timeoutMs,
                                                   PostSpeechEvent post,
                                                   std::function<void(int)> cue) {
    if (g_active.load() != nullptr) return nullptr;
    const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
    const std::optional<std::string> path = DaemonSocket();
    Connection conn = Connect(path, kProbeMs);
    if (conn.c == nullptr && autospawn) conn = StartAndConnect(path, deadline, nullptr);
    if (conn.c == nullptr) return nullptr;
    auto out = std::make_unique<SpeechdOutput>(conn.c, std::move(post), std::move(cue));
    out->started_ = conn.started;  // from here on stopped with the output
    if (conn.witness.Valid()) {
        out->guard_ = std::make_unique<Guard>(std::move(conn.witness));
    }
    g_active = out.get();
    if (!out->Prepare()) return nullptr;
    if (out->guard_) {
        out->keeper_ = std::make_unique<Keeper>(*out, path, out->guard_->witness.Get());
    }
    return out;
}

SpeechdOutput::SpeechdOutput(void* connection, PostSpeechEvent post, std::function<void(int)> cue)
    : connection_(connection), post_(std::move(post)), cue_(std::move(cue)) {}

SpeechdOutput::~SpeechdOutput() {
    if (keeper_) {
        keeper_->Stop();
        if (std::optional<Connection> fresh = keeper_->TakeFresh()) {
            CloseConnection(fresh->c, fresh->witness.Get());
            if (fresh->started > 0 && fresh->started != started_) StopDaemon(fresh->started);
        }
        keeper_.reset();
    }
    g_active = nullptr;
    CloseConnection(Conn(connection_), guard_ ? guard_->witness.Get() : -1);
    guard_.reset();
    if (started_ > 0) StopDaemon(started_);
}

bool SpeechdOutput::Prepare() {
    SPDConnection* c = Conn(connection_);
    c->callback_begin = &OnBegin;
    c->callback_end = &OnEnd;
    c->callback_cancel = &OnCancel;
    bool notified = false;
    const bool answered = Invoke([&] {
        notified = spd_set_notification_on(c, SPD_BEGIN) == 0 &&
                   spd_set_notification_on(c, SPD_END) == 0 &&
                   spd_set_notification_on(c, SPD_CANCEL) == 0;
        spd_set_language(c, "ru");
        if (!voice_.empty()) spd_set_synthesis_voice(c, voice_.c_str());
        if (rate_ >= 0) spd_set_voice_rate(c, SpeechdRateFor(rate_));
    });
    return answered && notified;
}

void SpeechdOutput::Adopt() {
    if (!keeper_ || !lost_) return;
    std::optional<Connection> fresh = keeper_->TakeFresh();
    if (!fresh) {
        if (keeper_->GaveUp() && !giveUpTold_ && report != nullptr) {
            *report << "velmora: speech: speech-dispatcher did not come back; no voice\n";
        }
        giveUpTold_ = giveUpTold_ || keeper_->GaveUp();
        return;
    }
    CloseConnection(Conn(connection_), guard_->witness.Get());
    guard_.reset();
    connection_ = fresh->c;
    guard_ = std::make_unique<Guard>(std::move(fresh->witness));
    if (fresh->started > 0) {
        if (started_ > 0 && started_ != fresh->started) StopDaemon(started_);
        started_ = fresh->started;
    }
    // A new daemon numbers its messages from 1 again.
    latest_ = 0;
    inFlight_ = false;
    lost_ = false;
    keeper_->Watch(guard_->witness.Get());
    if (!Prepare()) {
        // Let the keeper see it go and try again.
        lost_ = true;
        ::shutdown(guard_->witness.Get(), SHUT_RDWR);
        return;
    }
    lossTold_ = false;
    welcomeBack_ = true;
    if (report != nullptr) *report << "velmora: speech: speech-dispatcher is back\n";
}

bool SpeechdOutput::Invoke(const std::function<void()>& call) {
    if (lost_) return false;
    if (!guard_) {
        WithoutSigpipe(call);
        return true;
    }
    // libspeechd's reader closes the socket when the daemon goes; the number
    // may be another file of ours by now.
    if (!SameSocket(Conn(connection_)->socket, guard_->witness.Get())) {
        lost_ = true;
        return false;
    }
    if (guard_->watch.Run(kAnswerBound, [&call] { WithoutSigpipe(call); })) return true;
    lost_ = true;
    return false;
}

bool SpeechdOutput::Call(const std::function<void()>& call) {
    Adopt();
    if (Invoke(call)) return true;
    if (!lossTold_ && report != nullptr) {
        *report << "velmora: speech: speech-dispatcher was lost; "
                << (keeper_ ? "reconnecting" : "no voice") << '\n';
    }
    lossTold_ = true;
    return false;
}

bool SpeechdOutput::SetVoice(const base::Utf8& name) {
    std::vector<SpeechdVoice> voices;
    Call([&] { voices = VoicesOn(Conn(connection_)); });
    auto found = std::find_if(voices.begin(), voices.end(),
                              [&](const SpeechdVoice& v) { return v.name == name.str(); });
    if (found == voices.end()) {
        found = std::find_if(voices.begin(), voices.end(), [&](const SpeechdVoice& v) {
            return ::strcasecmp(v.name.c_str(), name.c_str()) == 0;
        });
    }
    voice_ = found == voices.end() ? std::string() : found->name;
    if (voice_.empty()) return false;
    Call([&] { spd_set_synthesis_voice(Conn(connection_), voice_.c_str()); });
    return true;
}

void SpeechdOutput::Speak(const std::string& text) {
    Adopt();
    std::string utf8;
    if (welcomeBack_ && !lost_) {
        utf8 = kVoiceBack;
        utf8 += ' ';
        welcomeBack_ = false;
    }
    utf8 += base::Cp1251ToUtf8(text);
    spokenAt = Now();
    beganAt = 0;
    inFlight_ = true;
    // Text priority: a newer text of ours cancels the one being spoken.
    handing_ = true;
    int id = -1;
    const bool answered = Call([&] { id = spd_say(Conn(connection_), SPD_TEXT, utf8.c_str()); });
    if (answered && id > 0) latest_ = id;
    handing_ = false;
    // Not taken: no end will come, and whoever waits for one would wait for ever.
    if (!answered || id <= 0) EndText();
}

// One end per text, whoever sees it first: the daemon, Speak finding it not
// taken, or the keeper seeing the daemon go.
void SpeechdOutput::EndText() {
    if (inFlight_.exchange(false) && post_) post_(SpeechEvent::SpeechEnded);
}

void SpeechdOutput::OnNotice(SpeechdNotice notice, size_t messageId) {
    const auto id = static_cast<long long>(messageId);
    // In this order: Speak stores the new number before it clears handing_.
    const bool handing = handing_.load();
    const long long latest = latest_.load();
    if (notice == SpeechdNotice::Begin && (id > latest || (id == latest && !handing))) {
        beganAt = Now();
    }
    if (SpeechdNoticeEndsSpeech(notice, id, latest, handing)) EndText();
}

void SpeechdOutput::AudioReset() {
    Call([&] { spd_cancel(Conn(connection_)); });
}

void SpeechdOutput::Cue(int number) {
    if (cue_) cue_(number);
}

void SpeechdOutput::SetRate(int setting) {
    rate_ = setting;
    Call([&] { spd_set_voice_rate(Conn(connection_), SpeechdRateFor(setting)); });
}

}  // namespace velmora::speech
