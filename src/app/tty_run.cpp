#include "app/tty_run.h"

#include <iostream>

#include "frontend/tty/key_decoder.h"
#include "frontend/tty/printing_speech.h"
#include "frontend/tty/terminal.h"
#include "frontend/tty/tty_events.h"
#include "frontend/tty/tty_front_end.h"

namespace velmora::app {

bool TerminalAvailable() { return frontend::Terminal::Available(); }

std::string TtyHelp() { return frontend::TtyKeysHelp(); }

namespace {

int Play(InteractiveOptions options, frontend::TtyEvents& events,
         frontend::PrintingSpeech::LineWriter print) {
    options.terminalKeys = true;
    GameSounds sounds;
    // The beep marks a boundary or a refusal (a list's end on the main menu,
    // a setting at its limit): printed as the word a cue's boundary is.
    frontend::TtyFrontEnd frontEnd(
        events,
        [&sounds, print] {
            print(base::Utf8(frontend::kBoundaryWord));
            if (sounds.beep) sounds.beep();
        },
        [&sounds](int hz, int ms) { if (sounds.tone) sounds.tone(hz, ms); });
    // A cue of --speech print is the beep, as with no speech: heard, never printed.
    options.wrapSpeech = [print, &sounds](std::unique_ptr<speech::SpeechOutput> inner) {
        return std::make_unique<frontend::PrintingSpeech>(
            print, std::move(inner), [&sounds](int) { if (sounds.beep) sounds.beep(); });
    };
    return RunInteractive(options, events, frontEnd, &sounds);
}

}  // namespace

int RunTty(const InteractiveOptions& options, std::optional<std::vector<frontend::KeyStep>> keys) {
    if (keys) {
        // A script in real time: the terminal is not read, and the lines go
        // to standard output, wherever it leads.
        frontend::TtyEvents events(std::move(*keys));
        return Play(options, events, [](const base::Utf8& line) {
            std::cout << line.str() << '\n' << std::flush;
        });
    }
    std::string why;
    std::optional<frontend::Terminal> term = frontend::Terminal::Open(&why);
    if (!term) {
        std::cerr << "velmora: " << why << '\n';
        return 2;
    }
    frontend::TtyEvents events(*term);
    InteractiveOptions withBell = options;
    withBell.bell = [&term] { term->Write("\a"); };
    return Play(withBell, events, [&term](const base::Utf8& line) { term->WriteLine(line); });
}

}  // namespace velmora::app
