// --transcript with an interactive front end: everything the player hears or
// sees change is written in the headless transcript's format, while the real
// outputs and the real front end get it too.
#pragma once

#include <memory>
#include <utility>

#include "base/cues.h"
#include "frontend/common/transcript.h"
#include "shell/events.h"
#include "speech/speech_output.h"

namespace velmora::app {

class TeeSpeech : public speech::SpeechOutput {
public:
    TeeSpeech(frontend::TranscriptWriter& t, std::unique_ptr<speech::SpeechOutput> inner)
        : t_(t), inner_(std::move(inner)) {}
    speech::SpeechOutputKind Kind() const override { return inner_->Kind(); }
    void Speak(const std::string& text) override {
        t_.Say(text);
        inner_->Speak(text);
    }
    void SpeakAgain(const std::string& text) override {
        t_.Review(text);
        inner_->SpeakAgain(text);
    }
    void Cue(int number) override {
        t_.Cue(number);
        inner_->Cue(number);
    }
    void Acknowledge() override {
        t_.Cue(base::kCueBoundary);
        inner_->Acknowledge();
    }
    void SetRate(int setting) override {
        t_.Rate(setting);
        inner_->SetRate(setting);
    }
    bool Speaking() const override { return inner_->Speaking(); }
    bool EndsAtOnce() const override { return inner_->EndsAtOnce(); }
    void AudioReset() override { inner_->AudioReset(); }

private:
    frontend::TranscriptWriter& t_;
    std::unique_ptr<speech::SpeechOutput> inner_;
};

class TeeFrontEnd : public shell::FrontEnd {
public:
    TeeFrontEnd(frontend::TranscriptWriter& t, shell::FrontEnd& inner) : t_(t), inner_(inner) {}
    void PictureLoaded(const char* component, const std::filesystem::path& file) override {
        t_.Picture(component, file);
        inner_.PictureLoaded(component, file);
    }
    void ViewChanged(const char* view) override {
        t_.View(view);
        inner_.ViewChanged(view);
    }
    void Beep() override {
        t_.Beep();
        inner_.Beep();
    }
    void Tone(int hz, int ms) override {
        t_.Tone(hz, ms);
        inner_.Tone(hz, ms);
    }
    std::string KeyboardLayout() override { return inner_.KeyboardLayout(); }
    shell::WindowSize InitialWindowSize() override { return inner_.InitialWindowSize(); }
    std::optional<shell::WindowSize> MeasurePicture(const std::filesystem::path& file) override {
        return inner_.MeasurePicture(file);
    }
    const ui::TextMeasure& TextMeasure() override { return inner_.TextMeasure(); }
    void Changed() override { inner_.Changed(); }

private:
    frontend::TranscriptWriter& t_;
    shell::FrontEnd& inner_;
};

}  // namespace velmora::app
