// A whole game played from a key script, with everything the player would
// hear or see change written to a transcript.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "frontend/common/key_script.h"
#include "frontend/common/transcript.h"
#include "shell/events.h"
#include "shell/posted_events.h"
#include "shell/project_choice.h"
#include "sound/sound_system.h"
#include "speech/speech_output.h"

namespace velmora::frontend {

// Events from a key script on a virtual clock. Before each step the program
// settles: posted events are handled, and a timed wait in progress gets its
// ticks, as if the player let it run out. Time skips ahead: the ticks of a
// script's wait, or of a timed wait, come as one event (split where a timed
// wait ends), so a long wait costs nothing.
class ScriptEvents : public shell::EventSource {
public:
    // timedWaitTicksLeft tells how many ticks a running timed wait still counts.
    ScriptEvents(std::vector<KeyStep> steps, std::function<int32_t()> timedWaitTicksLeft)
        : steps_(std::move(steps)), timedWaitTicksLeft_(std::move(timedWaitTicksLeft)) {}

    std::optional<shell::Event> Next() override;
    void Post(const shell::Event& event) override;

private:
    void Deliver(const KeyStep& step);

    std::vector<KeyStep> steps_;
    size_t next_ = 0;
    int32_t TimedWaitTicksLeft() const { return timedWaitTicksLeft_ ? timedWaitTicksLeft_() : 0; }

    std::function<int32_t()> timedWaitTicksLeft_;
    std::deque<shell::Event> queue_;   // the current step's events
    shell::PostedEvents posted_;  // from speech and sound
    bool started_ = false;
    bool capsLock_ = false;  // the keyboard's Caps Lock, off at start
};

// Speech as a reader would take it: each text written and ended at once.
// With post empty, as a reader that reports no end takes it (--speech none:
// a console's screen reader).
class TranscriptSpeech : public speech::SpeechOutput {
public:
    TranscriptSpeech(TranscriptWriter& t, speech::PostSpeechEvent post)
        : t_(t), post_(std::move(post)) {}
    speech::SpeechOutputKind Kind() const override {
        return post_ ? speech::SpeechOutputKind::soReader : speech::SpeechOutputKind::soJaws;
    }
    void Speak(const std::string& text) override {
        t_.Say(text);
        if (post_) post_(speech::SpeechEvent::SpeechEnded);
    }
    void SpeakAgain(const std::string& text) override {
        t_.Review(text);
        if (post_) post_(speech::SpeechEvent::SpeechEnded);
    }
    void Cue(int number) override { t_.Cue(number); }
    void SetRate(int rate) override { t_.Rate(rate); }
    bool EndsAtOnce() const override { return static_cast<bool>(post_); }

private:
    TranscriptWriter& t_;
    speech::PostSpeechEvent post_;
};

class TranscriptSound : public sound::SoundObserver {
public:
    explicit TranscriptSound(TranscriptWriter& t) : t_(t) {}
    void Effect(int number) override { t_.Effect(number); }
    void Sound(std::string_view name) override { t_.Sound(name); }
    void Music(const std::filesystem::path& file) override { t_.Music(file); }
    void MusicStop() override { t_.MusicStop(); }
    void Volume(int percent) override { t_.Volume(percent); }

private:
    TranscriptWriter& t_;
};

class TranscriptFrontEnd : public shell::FrontEnd {
public:
    explicit TranscriptFrontEnd(TranscriptWriter& t) : t_(t) {}
    void PictureLoaded(const char* component, const std::filesystem::path& file) override {
        t_.Picture(component, file);
    }
    void ViewChanged(const char* view) override { t_.View(view); }
    void Beep() override { t_.Beep(); }
    void Tone(int hz, int ms) override { t_.Tone(hz, ms); }
    std::string KeyboardLayout() override { return "00000419"; }

private:
    TranscriptWriter& t_;
};

struct HeadlessOptions {
    std::filesystem::path programFolder;
    std::filesystem::path stateFolder;
    std::optional<shell::ProjectChoice> project;  // none: main.ini's
    std::vector<std::filesystem::path> projectsFolders;  // the adventure chooser's
    std::vector<KeyStep> steps;
    std::FILE* transcript = stdout;
    bool nomenu = false;
    // The texts go to a reader that reports no end of them (--speech none).
    bool readerReportsNoEnd = false;
};

// Plays until the script is used up or the game is left; the exit status.
int RunHeadless(const HeadlessOptions& options);

}  // namespace velmora::frontend
