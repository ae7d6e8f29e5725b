#include "speech/speech_router.h"

#include "base/cp1251.h"
#include "base/cues.h"

namespace velmora::speech {

void SpeechRouter::OpenSpeech(std::unique_ptr<SpeechOutput> output) {
    PendingPrefix.clear();
    output_ = std::move(output);
}

SpeechOutputKind SpeechRouter::Output() const {
    return output_ ? output_->Kind() : SpeechOutputKind::soNone;
}

void SpeechRouter::SayText(std::string_view text) {
    if (SpeechMuted) return;  // the prefix stays pending
    SpeechBusy = true;
    std::string full;
    if (!PendingPrefix.empty()) {
        full = PendingPrefix;
        PendingPrefix.clear();
    }
    full += text;
    // "0" is what a missing message line gives; nothing is said, and busy stays
    // set until the next end of speech, as with an empty text.
    if (full == "0") return;
    const std::string_view trimmed = base::TrimBlanks(full);
    if (trimmed.empty()) return;
    history_.emplace_back(trimmed);
    if (history_.size() > kHistoryLength) history_.pop_front();
    reviewed_ = history_.size();
    Speak(history_.back(), false);
}

void SpeechRouter::Speak(const std::string& text, bool again) {
    ignoreEnd_ = false;
    auto say = [&] { again ? output_->SpeakAgain(text) : output_->Speak(text); };
    switch (Output()) {
        case SpeechOutputKind::soJaws:
            say();
            SpeechBusy = false;
            break;
        case SpeechOutputKind::soReader:
            say();
            break;
        case SpeechOutputKind::soSapi:
            if (output_->Speaking()) {
                IgnoreNextStop = true;
                output_->AudioReset();
            }
            // The voice hears the text in lower case; it lower-cases it itself
            // (EspeakOutput), so that a printed line or a transcript wrapped
            // around it keeps the text as the game wrote it.
            say();
            break;
        case SpeechOutputKind::soNone:
            break;
    }
}

bool SpeechRouter::Review(int step) {
    if (history_.empty()) {
        PlayCue(base::kCueBoundary);
        return false;
    }
    const size_t last = history_.size() - 1;
    size_t at = reviewed_ > last ? last : reviewed_;  // none reviewed yet: from the newest
    bool boundary = false;
    if (step == 0) {
        at = last;
    } else if (step < 0) {
        boundary = at == 0;
        at = boundary ? 0 : at - 1;
    } else {
        boundary = at >= last;
        at = boundary ? last : at + 1;
    }
    reviewed_ = at;
    if (boundary) PlayCue(base::kCueBoundary);
    if (SpeechMuted) return true;
    SpeechBusy = true;
    Speak(history_[at], true);
    return true;
}

void SpeechRouter::Silence() {
    switch (Output()) {
        case SpeechOutputKind::soSapi:
            // The reset reports a stop of its own, which is not the end of a text.
            if (output_->Speaking()) {
                IgnoreNextStop = true;
                output_->AudioReset();
            }
            break;
        case SpeechOutputKind::soReader:
            output_->AudioReset();
            // A reader reports the end of the text it cut off: no reading on.
            ignoreEnd_ = SpeechBusy;
            break;
        default:
            break;
    }
    if (!SpeechBusy) return;
    if (onSpeechEnding) onSpeechEnding();
    SpeechBusy = false;
}

void SpeechRouter::PlayCue(int number) {
    if (output_) output_->Cue(number);
}

void SpeechRouter::Acknowledge() {
    if (output_) output_->Acknowledge();
}

void SpeechRouter::SetSpeechRate(int value) {
    rate_ = value;
    const SpeechOutputKind kind = Output();
    if (kind == SpeechOutputKind::soReader || kind == SpeechOutputKind::soSapi) {
        output_->SetRate(value);
    }
}

void SpeechRouter::OnVoiceStop() {
    if (IgnoreNextStop) {
        IgnoreNextStop = false;
        return;
    }
    OnSpeechEnd();
}

void SpeechRouter::OnSpeechEnd() {
    if (ignoreEnd_) {
        ignoreEnd_ = false;
        return;
    }
    if (onSpeechEnding) onSpeechEnding();
    SpeechBusy = false;
    if (onSpeechEnded) onSpeechEnded();
}

void SpeechRouter::Handle(SpeechEvent event) {
    if (event == SpeechEvent::VoiceStopped) {
        OnVoiceStop();
    } else {
        OnSpeechEnd();
    }
}

}  // namespace velmora::speech
