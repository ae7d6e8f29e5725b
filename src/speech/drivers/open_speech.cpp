#include "speech/drivers/open_speech.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/utf8.h"
#include "base/terminal_text.h"
#include "speech/drivers/espeak_output.h"
#include "speech/simple_outputs.h"
#include "speech/drivers/speechd_output.h"

namespace velmora::speech {
namespace {

enum class Step { RunningDaemon, Espeak, StartedDaemon, Print };

std::vector<Step> SpeechOrder(SpeechChoice choice) {
    switch (choice) {
        case SpeechChoice::Auto:
            return {Step::RunningDaemon, Step::Espeak, Step::StartedDaemon};
        case SpeechChoice::Speechd:
            return {Step::StartedDaemon, Step::Espeak};
        case SpeechChoice::Espeak:
            return {Step::Espeak, Step::StartedDaemon};
        case SpeechChoice::Print:
            return {Step::Print};
        case SpeechChoice::None:
            break;
    }
    return {};
}

const char* StepName(Step step) {
    switch (step) {
        case Step::RunningDaemon:
        case Step::StartedDaemon:
            return "speech-dispatcher";
        case Step::Espeak:
            return "espeak-ng";
        case Step::Print:
            return "print";
    }
    return "";
}

// Says once when the voice the player named is not the one speaking.
void TellUnknownVoice(const SpeechSetup& s, const char* engine, std::ostream* report) {
    if (report == nullptr) return;
    *report << "velmora: speech: " << engine << " has no voice named "
            << base::TerminalSafe(base::Cp1251ToUtf8(s.voiceName))
            << "; its default voice speaks\n";
}

std::unique_ptr<SpeechOutput> TryStep(Step step, const SpeechSetup& s, std::ostream* report) {
    switch (step) {
        case Step::RunningDaemon:
        case Step::StartedDaemon: {
            auto out = step == Step::RunningDaemon
                           ? SpeechdOutput::Open(false, 0, s.post, s.cue)
                           : SpeechdOutput::Open(true, s.spawnTimeoutMs, s.post, s.cue);
            if (!out) return nullptr;
            out->report = report;
            if (!s.voiceName.empty() && !out->SetVoice(base::ToUtf8(s.voiceName))) {
                TellUnknownVoice(s, "speech-dispatcher", report);
            }
            return out;
        }
        case Step::Espeak: {
            auto out = EspeakOutput::Open(s.voiceName, s.post, s.beep);
            if (out && !s.voiceName.empty() && !out->NamedVoiceFound()) {
                TellUnknownVoice(s, "espeak-ng", report);
            }
            return out;
        }
        case Step::Print:
            return std::make_unique<PrintOutput>(stdout, s.post);
    }
    return nullptr;
}

std::string ShortEspeakName(const std::string& identifier) {
    std::string name = EspeakShortName(identifier);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

std::optional<SpeechChoice> ParseSpeechChoice(std::string_view name) {
    const std::string n = base::LowerText1251(name);
    if (n == "auto") return SpeechChoice::Auto;
    if (n == "speechd") return SpeechChoice::Speechd;
    if (n == "espeak") return SpeechChoice::Espeak;
    if (n == "print") return SpeechChoice::Print;
    if (n == "none") return SpeechChoice::None;
    return std::nullopt;
}

const char* SpeechChoiceName(SpeechChoice choice) {
    switch (choice) {
        case SpeechChoice::Auto:
            return "auto";
        case SpeechChoice::Speechd:
            return "speechd";
        case SpeechChoice::Espeak:
            return "espeak";
        case SpeechChoice::Print:
            return "print";
        case SpeechChoice::None:
            return "none";
    }
    return "auto";
}

std::unique_ptr<SpeechOutput> OpenSpeechOutput(const SpeechSetup& setup, std::ostream* report) {
    const std::vector<Step> order = SpeechOrder(setup.choice);
    for (size_t i = 0; i < order.size(); ++i) {
        if (auto out = TryStep(order[i], setup, report)) return out;
        // Finding no daemon running is how the automatic choice looks for
        // one, not a failure; the other steps really tried to start.
        if (order[i] == Step::RunningDaemon || !report) continue;
        const bool more = i + 1 < order.size();
        *report << "velmora: speech: " << StepName(order[i]) << " cannot start; "
                << (more ? std::string("trying ") + StepName(order[i + 1]) : "no voice") << '\n';
    }
    return std::make_unique<NoneOutput>(setup.beep);
}

std::vector<VoiceEntry> ListRussianVoices() {
    std::vector<VoiceEntry> list;
    const std::vector<EspeakVoice> voices = ListEspeakRussianVoices();
    for (const EspeakVoice& v : voices) {
        list.push_back({"espeak-ng", ShortEspeakName(v.identifier), v.languages.front(), v.name});
    }
    // Any variant goes with any voice; listed once, with the first.
    if (!voices.empty()) {
        const std::string base = ShortEspeakName(voices.front().identifier);
        for (const EspeakVoice& variant : ListEspeakVariants()) {
            std::string name = base;
            name += '+';
            name += EspeakShortName(variant.identifier);
            list.push_back(
                {"espeak-ng", std::move(name), voices.front().languages.front(), variant.name});
        }
    }
    for (const SpeechdVoice& v : ListSpeechdVoices()) {
        if (!IsRussianLanguage(v.language)) continue;
        list.push_back({"speech-dispatcher", v.name, v.language,
                        v.variant == "none" ? std::string() : v.variant});
    }
    return list;
}

}  // namespace velmora::speech
