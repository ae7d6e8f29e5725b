#include "speech/speechd_output.h"

#include <libspeechd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/encoding.h"

namespace velmora::speech {
namespace {

// libspeechd's callbacks carry no user data; one connection per process.
std::atomic<SpeechdOutput*> g_active{nullptr};

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
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

SPDConnection* Connect(bool autospawn) {
    char* error = nullptr;
    SPDConnection* c = spd_open2("velmora", "main", nullptr, SPD_MODE_THREADED, nullptr,
                                 autospawn ? 1 : 0, &error);
    std::free(error);
    return c;
}

SPDConnection* Conn(void* c) { return static_cast<SPDConnection*>(c); }

}  // namespace

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    SPDConnection* c = Connect(false);
    if (c == nullptr && autospawn) {
        c = Connect(true);
        // A daemon just started may need a moment before it answers.
        while (c == nullptr && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            c = Connect(false);
        }
    }
    if (c == nullptr) return nullptr;
    auto out = std::make_unique<SpeechdOutput>(c, std::move(post), std::move(cue));
    c->callback_begin = &OnBegin;
    c->callback_end = &OnEnd;
    c->callback_cancel = &OnCancel;
    g_active = out.get();
    spd_set_notification_on(c, SPD_BEGIN);
    spd_set_notification_on(c, SPD_END);
    spd_set_notification_on(c, SPD_CANCEL);
    spd_set_language(c, "ru");
    return out;
}

SpeechdOutput::~SpeechdOutput() {
    g_active = nullptr;
    spd_close(Conn(connection_));
}

void SpeechdOutput::Speak(const std::string& text) {
    const std::string utf8 = base::Cp1251ToUtf8(text);
    spokenAt = Now();
    beganAt = 0;
    // Text priority: a newer text of ours cancels the one being spoken.
    handing_ = true;
    const int id = spd_say(Conn(connection_), SPD_TEXT, utf8.c_str());
    if (id > 0) latest_ = id;
    handing_ = false;
}

void SpeechdOutput::OnNotice(SpeechdNotice notice, size_t messageId) {
    const auto id = static_cast<long long>(messageId);
    // In this order: Speak stores the new number before it clears handing_.
    const bool handing = handing_.load();
    const long long latest = latest_.load();
    if (notice == SpeechdNotice::Begin && (id > latest || (id == latest && !handing))) {
        beganAt = Now();
    }
    if (SpeechdNoticeEndsSpeech(notice, id, latest, handing) && post_) {
        post_(SpeechEvent::SpeechEnded);
    }
}

void SpeechdOutput::Cue(int number) {
    if (cue_) cue_(number);
}

void SpeechdOutput::SetRate(int setting) { spd_set_voice_rate(Conn(connection_), SpeechdRateFor(setting)); }

}  // namespace velmora::speech
