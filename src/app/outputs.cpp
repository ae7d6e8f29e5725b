#include "app/outputs.h"

#include <cstdlib>
#include <vector>

#include "base/cp1251.h"
#include "sound/external_players_driver.h"
#include "sound/sdl_mixer_driver.h"
#include "speech/espeak_output.h"
#include "speech/simple_outputs.h"
#include "speech/speechd_output.h"

namespace velmora::app {
namespace {

using speech::SpeechChoice;
using speech::SpeechOutput;
using speech::SpeechSetup;

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

std::unique_ptr<SpeechOutput> TryStep(Step step, const SpeechSetup& s) {
    switch (step) {
        case Step::RunningDaemon:
            return speech::SpeechdOutput::Open(false, 0, s.post, s.cue);
        case Step::StartedDaemon:
            return speech::SpeechdOutput::Open(true, s.spawnTimeoutMs, s.post, s.cue);
        case Step::Espeak:
            return speech::EspeakOutput::Open(s.voiceName, s.post, s.beep);
        case Step::Print:
            return std::make_unique<speech::PrintOutput>(stdout, s.post);
    }
    return nullptr;
}

}  // namespace

std::optional<SoundChoice> ParseSoundChoice(std::string_view name) {
    const std::string n = base::LowerText1251(name);
    if (n == "auto") return SoundChoice::Auto;
    if (n == "sdl") return SoundChoice::Sdl;
    if (n == "players") return SoundChoice::Players;
    if (n == "none") return SoundChoice::None;
    return std::nullopt;
}

std::unique_ptr<SpeechOutput> OpenSpeech(const SpeechSetup& setup, std::ostream& report) {
    const std::vector<Step> order = SpeechOrder(setup.choice);
    for (size_t i = 0; i < order.size(); ++i) {
        if (auto out = TryStep(order[i], setup)) return out;
        // Finding no daemon running is how the automatic choice looks for
        // one, not a failure; the other steps really tried to start.
        if (order[i] == Step::RunningDaemon) continue;
        const bool more = i + 1 < order.size();
        report << "velmora: speech: " << StepName(order[i]) << " cannot start; "
               << (more ? std::string("trying ") + StepName(order[i + 1]) : "no voice")
               << '\n';
    }
    return std::make_unique<speech::NoneOutput>(setup.beep);
}

std::unique_ptr<sound::SoundDriver> OpenSound(SoundChoice choice, sound::PostSoundEvent post,
                                              std::ostream& report) {
    if (choice == SoundChoice::None) return std::make_unique<sound::NoneDriver>();
    if (choice != SoundChoice::Players) {
        std::string why;
        if (auto driver = sound::OpenSdlMixerDriver(std::move(post), &why)) return driver;
        report << "velmora: sound: SDL_mixer cannot start (" << why
               << "); trying the external players\n";
    }
    const char* path = std::getenv("PATH");
    auto players = std::make_unique<sound::ExternalPlayersDriver>(
        sound::FindExternalPlayers(path ? path : "/usr/bin:/bin", sound::FindSoundFont()));
    if (players->Installed()) return players;
    report << "velmora: sound: no aplay, paplay, timidity or fluidsynth is installed; no sound\n";
    return std::make_unique<sound::NoneDriver>();
}

}  // namespace velmora::app
