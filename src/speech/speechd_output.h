// speech-dispatcher: the desktop's speech service speaks our texts, takes the
// rate and reports the end of each text. Its callbacks arrive on libspeechd's
// own thread, where no spd_* call may be made: they only post events.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

    // For measurements: when the last text was handed over and when the daemon began it.
    std::atomic<int64_t> spokenAt{0};
    std::atomic<int64_t> beganAt{0};

    void OnNotice(SpeechdNotice notice, size_t messageId);  // from libspeechd's thread

    // The daemon stopped answering and was let go: texts end at once, unspoken.
    bool Lost() const { return lost_.load(); }

private:
    struct Guard;
    // Runs one call to the daemon within its bound; false when it failed to.
    bool Call(const std::function<void()>& call);

    void* connection_;
    PostSpeechEvent post_;
    std::function<void(int)> cue_;
    std::atomic<long long> latest_{0};
    std::atomic<bool> handing_{false};
    std::atomic<bool> lost_{false};
    std::unique_ptr<Guard> guard_;  // null for a daemon we cannot watch (a network address)
};

}  // namespace velmora::speech
