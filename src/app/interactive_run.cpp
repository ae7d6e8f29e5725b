#include "app/interactive_run.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"

#include "frontend/common/transcript_tee.h"
#include "frontend/headless/headless_run.h"
#include "shell/form1.h"
#include "shell/main_ini.h"
#include "sound/sound_system.h"

namespace velmora::app {

using shell::Event;

int RunInteractive(const InteractiveOptions& options, shell::EventSource& events,
                   shell::FrontEnd& frontEnd, GameSounds* sounds) {
    // Speech and sound report from their own threads through the events.
    auto postSpeech = [&events](speech::SpeechEvent e) {
        events.Post(Event::Of(e == speech::SpeechEvent::SpeechEnded ? Event::Kind::SpeechEnded
                                                                   : Event::Kind::VoiceStopped));
    };
    auto postSound = [&events](sound::SoundEvent e) {
        if (e == sound::SoundEvent::MusicFinished) events.Post(Event::Of(Event::Kind::MusicEnded));
    };

    // Cues and the beep go through the game's sound system, which the shell
    // builds and attaches; they are only played once the game runs.
    sound::SignalSounds signals(options.bell);
    speech::SpeechSetup setup;
    setup.choice = options.speech;
    setup.voiceName = options.voice ? *options.voice
                                    : shell::MainIni::ReadVoice(options.programFolder,
                                                                options.stateFolder);
    setup.post = postSpeech;
    setup.cue = [&signals](int number) { signals.Cue(number); };
    setup.beep = [&signals] { signals.Beep(); };

    std::optional<frontend::TranscriptWriter> transcript;
    std::optional<frontend::TranscriptSound> transcriptSound;
    std::optional<TeeFrontEnd> tee;
    shell::FrontEnd* shownTo = &frontEnd;
    if (options.transcript) {
        transcript.emplace(options.transcript, options.programFolder);
        transcriptSound.emplace(*transcript);
        tee.emplace(*transcript, frontEnd);
        shownTo = &*tee;
    }
    // An output as the game gets it: opened by choice and voice, printed in
    // the terminal, written to the transcript. The settings open another so.
    auto openSpeech = [setup, &options, &transcript](speech::SpeechChoice choice, const std::string& voice) {
        speech::SpeechSetup s = setup;
        s.choice = choice;
        s.voiceName = voice;
        std::unique_ptr<speech::SpeechOutput> out = speech::OpenSpeechOutput(s, &std::cerr);
        if (options.wrapSpeech) out = options.wrapSpeech(std::move(out));
        if (transcript) out = std::make_unique<TeeSpeech>(*transcript, std::move(out));
        return out;
    };
    std::unique_ptr<speech::SpeechOutput> speech = openSpeech(setup.choice, setup.voiceName);

    shell::ShellOptions shellOptions = shell::ShellOptions::From(options);
    if (options.terminalKeys) shellOptions.keyHelp = shell::ShellOptions::KeyHelp::terminal;
    shellOptions.speechChoices.output = speech::SpeechChoiceName(options.speech);
    shellOptions.speechChoices.open = [openSpeech](const std::string& output, const std::string& voice) {
        return openSpeech(speech::ParseSpeechChoice(output).value_or(speech::SpeechChoice::Auto), voice);
    };
    shellOptions.speechChoices.listVoices = [] {
        std::vector<std::string> names;
        for (const speech::VoiceEntry& v : speech::ListRussianVoices()) {
            // main.ini keeps 1251: a name it cannot hold is not offered.
            if (base::FitsCp1251(v.name)) names.push_back(base::Utf8ToCp1251(v.name));
        }
        return names;
    };
    shellOptions.signals = &signals;
    shell::TForm1 window(shellOptions, events, *shownTo, std::move(speech),
                         sound::ChooseSoundDriver(options.sound, postSound, &std::cerr),
                         transcriptSound ? &*transcriptSound : nullptr);
    if (sounds) {
        sounds->beep = [&signals] { signals.Beep(); };
        // A tone is heard as the beep: the device plays made sounds only.
        sounds->tone = [&signals](int, int) { signals.Beep(); };
    }
    if (options.showForm) options.showForm(&window.Form());
    window.Run();
    window.FormClose();
    if (options.showForm) options.showForm(nullptr);
    if (sounds) *sounds = {};
    return 0;
}

}  // namespace velmora::app
