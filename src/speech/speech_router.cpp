#include "speech/speech_router.h"

#include "base/cp1251.h"

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
    switch (Output()) {
        case SpeechOutputKind::soJaws:
            output_->Speak(std::string(trimmed));
            SpeechBusy = false;
            break;
        case SpeechOutputKind::soReader:
            output_->Speak(std::string(trimmed));
            break;
        case SpeechOutputKind::soSapi:
            if (output_->Speaking()) {
                IgnoreNextStop = true;
                output_->AudioReset();
            }
            // The voice hears the text in lower case; it lower-cases it itself
            // (EspeakOutput), so that a printed line or a transcript wrapped
            // around it keeps the text as the game wrote it.
            output_->Speak(std::string(trimmed));
            break;
        case SpeechOutputKind::soNone:
            break;
    }
}

void SpeechRouter::PlayCue(int number) {
    if (output_) output_->Cue(number);
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
