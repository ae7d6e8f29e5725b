#include "frontend/headless/headless_run.h"

#include "frontend/headless/pretend_sound.h"
#include "shell/form1.h"

namespace velmora::frontend {

using shell::Event;

void ScriptEvents::Post(const Event& event) {
    posted_.Push(event);
}

void ScriptEvents::Deliver(const KeyStep& step) {
    // The lock turns over as its key goes down, as a keyboard's does; every
    // key event then carries it.
    if (step.key == ui::vk::Capital &&
        (step.kind == KeyStep::Kind::Down || step.kind == KeyStep::Kind::Press)) {
        capsLock_ = !capsLock_;
    }
    if (step.kind == KeyStep::Kind::Wait) {
        if (step.waitMs >= 100) queue_.push_back(Event::Ticks(step.waitMs / 100));
        return;
    }
    PushStepEvents(queue_, step, capsLock_);
}

std::optional<Event> ScriptEvents::Next() {
    if (!started_) {
        started_ = true;
        return Event{Event::Kind::Tick};  // the timer's first tick starts the program
    }
    // A loop, not a recursion: steps that give no events ("wait 0") may be many.
    for (;;) {
        // A step written with '!' comes before anything settles.
        if (queue_.empty() && next_ < steps_.size() && !steps_[next_].settle) {
            Deliver(steps_[next_++]);
        }
        if (!queue_.empty()) {
            Event e = queue_.front();
            queue_.pop_front();
            // The ticks after a timed wait ends come after whatever the wait let run.
            const int32_t left = TimedWaitTicksLeft();
            if (e.kind == Event::Kind::Tick && left > 0 && left < e.ticks) {
                Event rest = e;
                rest.ticks = e.ticks - left;
                queue_.push_front(rest);
                e.ticks = left;
            }
            return e;
        }
        if (auto e = posted_.Pop()) return *e;
        if (const int32_t left = TimedWaitTicksLeft(); left > 0) return Event::Ticks(left);
        if (next_ == steps_.size()) return std::nullopt;
        Deliver(steps_[next_++]);
    }
}

int RunHeadless(const HeadlessOptions& options) {
    TranscriptWriter transcript(options.transcript, options.programFolder);
    shell::TForm1* form = nullptr;
    ScriptEvents events(options.steps, [&form] {
        return form != nullptr ? form->TimedWaitTicksLeft() : 0;
    });
    speech::PostSpeechEvent post;
    if (!options.readerReportsNoEnd) {
        post = [&events](speech::SpeechEvent e) {
            events.Post({e == speech::SpeechEvent::SpeechEnded ? Event::Kind::SpeechEnded
                                                               : Event::Kind::VoiceStopped});
        };
    }
    auto speech = std::make_unique<TranscriptSpeech>(transcript, std::move(post));
    TranscriptSound sound(transcript);
    TranscriptFrontEnd frontEnd(transcript);
    shell::ShellOptions shellOptions = shell::ShellOptions::From(options);
    shellOptions.seed = 1;  // the same run gives the same transcript
    shell::TForm1 window(shellOptions, events, frontEnd, std::move(speech),
                         std::make_unique<PretendSoundDriver>(), &sound);
    form = &window;
    window.Run();
    window.FormClose();
    return 0;
}

}  // namespace velmora::frontend
