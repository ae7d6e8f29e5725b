// speech-dispatcher: the desktop's speech service speaks our texts, takes the
// rate and reports the end of each text. Its callbacks arrive on libspeechd's
// own thread, where no spd_* call may be made: they only post events.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "speech/drivers/speechd_calls.h"  // WithoutSigpipe, for calls of its callers
#include "speech/speech_output.h"

namespace velmora::speech {

// A voice of speech-dispatcher's (UTF-8, as the daemon names it).
struct SpeechdVoice {
    std::string name;
    std::string language;
    std::string variant;
};

// The voices of a running daemon's default module; none when no daemon
// answers (one is never started for this).
std::vector<SpeechdVoice> ListSpeechdVoices();

// The rate setting 0…120 (60 by default) on speech-dispatcher's -100…100.
int SpeechdRateFor(int setting);

// What a notification of speech-dispatcher means to the router. Message
// numbers only grow. The end or cancel of our latest text ends speech, and so
// does that of a newer one whose number spd_say has not returned yet; while a
// text is being handed over (`handing`), the latest known one is being
// superseded, and its cancel is not an end.
enum class SpeechdNotice { Begin, End, Cancel };
bool SpeechdNoticeEndsSpeech(SpeechdNotice notice, long long messageId, long long latestId,
                             bool handing);

class SpeechdOutput : public SpeechOutput {
public:
    // Connects to a running daemon; with autospawn, starts one and waits for
    // it at most timeoutMs. Null when there is none, or when it does not
    // answer: no call to the daemon waits longer than a moment for its answer.
    // A daemon started here is stopped when the output ends.
    static std::unique_ptr<SpeechdOutput> Open(bool autospawn, int timeoutMs, PostSpeechEvent post,
                                               std::function<void(int)> cue);
    // connection: libspeechd's SPDConnection (kept opaque so its header stays inside).
    SpeechdOutput(void* connection, PostSpeechEvent post, std::function<void(int)> cue);
    ~SpeechdOutput() override;
    SpeechdOutput(const SpeechdOutput&) = delete;
    SpeechdOutput& operator=(const SpeechdOutput&) = delete;

    SpeechOutputKind Kind() const override { return SpeechOutputKind::soReader; }
    void Speak(const std::string& text) override;
    void Cue(int number) override;
    void SetRate(int setting) override;
    // Cuts off the text being spoken (the player silenced the voice).
    void AudioReset() override;

    // The daemon's voice named (UTF-8; exactly, else without regard to the
    // case of Latin letters), kept across reconnections. False, and the
    // daemon's default voice, when it has none of that name.
    bool SetVoice(const base::Utf8& name);

    // Where the loss of the daemon and its return are told (one line each).
    std::ostream* report = nullptr;
    // How often, and how long at most between attempts, a lost daemon is
    // sought again before the voice is given up.
    std::atomic<int> reconnectAttempts{5};
    std::atomic<int> reconnectDelayMs{250};  // doubled after each failed attempt

    // For measurements: when the last text was handed over and when the daemon began it.
    std::atomic<int64_t> spokenAt{0};
    std::atomic<int64_t> beganAt{0};

    void OnNotice(SpeechdNotice notice, size_t messageId);  // from libspeechd's thread

    // The daemon stopped answering or went away: texts end at once, unspoken,
    // until a new connection is made.
    bool Lost() const { return lost_.load(); }
    // The daemon this output started and will stop (0: none).
    int StartedDaemon() const { return started_; }

private:
    struct Guard;
    class Keeper;
    // Runs one call to the daemon within its bound, on a connection the
    // keeper made if there is one; false when it failed to.
    bool Call(const std::function<void()>& call);
    // The call alone, on the connection as it is.
    bool Invoke(const std::function<void()>& call);
    // Takes a connection the keeper made, when there is one.
    void Adopt();
    // Notices, language, voice and rate on a new connection.
    bool Prepare();
    // Posts the end of the text in flight, once (from any thread).
    void EndText();

    void* connection_;
    PostSpeechEvent post_;
    std::function<void(int)> cue_;
    std::atomic<long long> latest_{0};
    std::atomic<bool> handing_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> inFlight_{false};  // a text handed over has not ended yet
    std::string voice_;                  // UTF-8, as the daemon names it; empty: its default
    int rate_ = -1;                      // the setting last set; -1: none
    bool lossTold_ = false;
    bool giveUpTold_ = false;
    bool welcomeBack_ = false;  // the next text says the voice is back
    int started_ = 0;
    std::unique_ptr<Guard> guard_;    // null for a daemon we cannot watch (a network address)
    std::unique_ptr<Keeper> keeper_;  // last: its thread ends before the rest
};

}  // namespace velmora::speech
