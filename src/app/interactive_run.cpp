#include "app/interactive_run.h"

#include <iostream>
#include <optional>

#include "app/transcript_tee.h"
#include "frontend/headless/headless_run.h"
#include "shell/form1.h"
#include "shell/main_ini.h"

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
    // builds; they are only played once the game runs.
    shell::TForm1* form = nullptr;
    // Without a sound device a beep is the front end's bell: a cue or a
    // refused key must still be heard.
    auto beep = [&form, &options] {
        if (!form) return;
        const bool silent = dynamic_cast<const sound::NoneDriver*>(&form->Sound().Driver());
        if (silent && options.bell) {
            options.bell();
        } else {
            form->Sound().Beep();
        }
    };
    speech::SpeechSetup setup;
    setup.choice = options.speech;
    setup.voiceName = options.voice ? *options.voice
                                    : shell::MainIni::ReadVoice(options.programFolder,
                                                                options.stateFolder);
    setup.post = postSpeech;
    setup.cue = [&form](int number) {
        if (form) form->Sound().PlayCueSound(number);
    };
    setup.beep = beep;
    std::unique_ptr<speech::SpeechOutput> speech = speech::OpenSpeechOutput(setup, &std::cerr);
    if (options.wrapSpeech) speech = options.wrapSpeech(std::move(speech));

    std::optional<frontend::TranscriptWriter> transcript;
    std::optional<frontend::TranscriptSound> transcriptSound;
    std::optional<TeeFrontEnd> tee;
    shell::FrontEnd* shownTo = &frontEnd;
    if (options.transcript) {
        transcript.emplace(options.transcript, options.programFolder);
        speech = std::make_unique<TeeSpeech>(*transcript, std::move(speech));
        transcriptSound.emplace(*transcript);
        tee.emplace(*transcript, frontEnd);
        shownTo = &*tee;
    }

    shell::ShellOptions shellOptions;
    shellOptions.programFolder = options.programFolder;
    shellOptions.project = options.project;
    shellOptions.stateFolder = options.stateFolder;
    shellOptions.nomenu = options.nomenu;
    shellOptions.terminalKeys = options.terminalKeys;
    shell::TForm1 window(shellOptions, events, *shownTo, std::move(speech),
                         sound::ChooseSoundDriver(options.sound, postSound, &std::cerr),
                         transcriptSound ? &*transcriptSound : nullptr);
    form = &window;
    if (sounds) {
        sounds->beep = beep;
        // A tone is heard as the beep: the device plays made sounds only.
        sounds->tone = [beep](int, int) { beep(); };
    }
    if (options.showForm) options.showForm(&window.Form());
    window.Run();
    window.FormClose();
    if (options.showForm) options.showForm(nullptr);
    if (sounds) *sounds = {};
    form = nullptr;
    return 0;
}

}  // namespace velmora::app
