#include "app/command_line.h"

#include "base/cp1251.h"

namespace velmora::app {

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* problem) {
    CommandLine cl;
    auto fail = [&](const std::string& why) {
        *problem = why;
        return std::nullopt;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        auto take = [&] {
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            cl.help = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (arg.size() > 1 && (arg[0] == '-' || arg[0] == '/') &&
                   base::LowerText1251(arg.substr(1)) == "nomenu") {
            cl.nomenu = true;
        } else if (arg == "--root") {
            if (!take()) return fail("--root needs a folder");
            cl.root = value;
        } else if (arg == "--project") {
            if (!take() || value.empty()) return fail("--project needs a folder or a name");
            cl.project = value;
        } else if (arg == "--list-projects") {
            cl.listProjects = true;
        } else if (arg == "--voice") {
            // An empty name forgets the remembered voice.
            if (!take()) return fail("--voice needs a name (see --list-voices)");
            cl.voice = value;
        } else if (arg == "--list-voices") {
            cl.listVoices = true;
        } else if (arg == "--frontend") {
            if (!take()) return fail("--frontend needs a name");
            if (value == "window") {
                cl.frontEnd = FrontEndChoice::Window;
            } else if (value == "tty") {
                cl.frontEnd = FrontEndChoice::Tty;
            } else if (value == "headless") {
                cl.frontEnd = FrontEndChoice::Headless;
            } else {
                return fail("unknown front end '" + value + "'");
            }
        } else if (arg == "--speech") {
            if (!take()) return fail("--speech needs a name");
            const auto choice = speech::ParseSpeechChoice(value);
            if (!choice) return fail("unknown speech output '" + value + "'");
            cl.speech = *choice;
            cl.speechGiven = true;
        } else if (arg == "--sound") {
            if (!take()) return fail("--sound needs a name");
            const auto choice = sound::ParseSoundChoice(value);
            if (!choice) return fail("unknown sound output '" + value + "'");
            cl.sound = *choice;
        } else if (arg == "--keys") {
            if (!take()) return fail("--keys needs a file");
            cl.keysFile = value;
        } else if (arg == "--screenshot") {
            if (!take()) return fail("--screenshot needs a file");
            cl.screenshotFile = value;
        } else if (arg == "--transcript") {
            if (!take()) return fail("--transcript needs a file");
            cl.transcriptFile = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::string why = "unknown option ";
            return fail(why.append(arg));
        } else {
            std::string why = "unexpected argument '";
            return fail(why.append(arg).append("'"));
        }
    }
    return cl;
}

std::string UsageText(const std::string& extra) {
    std::string text =
        "usage: velmora [--root DIR] [--project DIR|NAME] [--list-projects]\n"
        "               [--frontend window|tty|headless]\n"
        "               [--speech auto|speechd|espeak|print|none]\n"
        "               [--voice NAME] [--list-voices]\n"
        "               [--sound auto|sdl|players|none] [--keys FILE]\n"
        "               [--transcript FILE] [--screenshot FILE] [-nomenu | /nomenu]\n"
        "               [-h | --help] [--version]\n"
        "\n"
        "Velmora plays Russian text adventures by ear: every text and menu entry is\n"
        "spoken, and a sighted companion sees them in a full-screen window.\n"
        "\n"
        "  --root DIR        the game folder (default: beside the program, or installed)\n"
        "  --project DIR|NAME  play this project: a folder holding game.ini (what an\n"
        "                    author is writing), or the name of one under Projects in\n"
        "                    the user's data folder or the game folder\n"
        "  --list-projects   the projects --project can name, the player's own first\n"
        "  --frontend NAME   window when a display is available, else tty; with --keys\n"
        "                    and no --frontend, headless\n"
        "  --speech NAME     auto: a running speech-dispatcher, else espeak-ng, else\n"
        "                    speech-dispatcher started for the game; print writes every\n"
        "                    text to standard output, with [cue N] and [rate N] lines\n"
        "                    except in the terminal; none leaves the speaking to a\n"
        "                    screen reader (the terminal prints every text)\n"
        "  --voice NAME      speak with this voice of espeak-ng or speech-dispatcher,\n"
        "                    and remember it in main.ini ('' forgets it)\n"
        "  --list-voices     the Russian voices and variants on offer: engine and name\n"
        "  --sound NAME      auto: SDL_mixer, else external players, else none\n"
        "  --keys FILE       play a key script ('-': standard input); headless, or in\n"
        "                    real time with --frontend tty or window; headless with\n"
        "                    --speech none as a screen reader hears it (no end of speech)\n"
        "  --transcript FILE write what is heard and shown, line by line\n"
        "  --screenshot FILE with the window and --keys: the last frame as PNG when the\n"
        "                    script is used up (SDL_VIDEODRIVER=offscreen needs no display)\n"
        "  -nomenu           start a new game at once, without the introduction and menu\n"
        "  -h, --help        this text;  --version  the program's version\n"
        "\n"
        "Keys of the game:\n"
        "  Up, Down          walk a menu or list; each entry is spoken\n"
        "  Enter             choose the entry;  Escape  back, or end a page or a wait\n"
        "  1 ... 9, 0        in the main menu: its items; in the game: hold to hear the\n"
        "                    entry of that number, let go to choose it\n"
        "  letters           jump to the entry that starts with them\n"
        "  F1, F2, F3        help, the hero's state, the screen and the last message\n"
        "  F4                where am I: the screen, its description and the exits\n"
        "  F11, F12          back and forward through everything said;  F10  the last\n"
        "                    text again\n"
        "  Ctrl (alone)      silence the voice\n"
        "  F5, F6            speech slower, faster (also Ctrl+numpad - and +)\n"
        "  F7, F8            music quieter, louder (also Ctrl+numpad / and *)\n"
        "  F9                music on or off (also Ctrl+M)\n"
        "  Shift+F10         the line's context menu\n"
        "  The main menu's and the game block's last item, Настройки, holds the\n"
        "  settings: speech rate, music volume, music, voice, speech output.\n"
        "  Caps Lock and the keyboard layout switch sound their own cues\n"
        "Settings and saved games: beside a game you unpacked, else in\n"
        "$XDG_DATA_HOME/velmora (~/.local/share/velmora).\n";
    if (!extra.empty()) text += "\n" + extra;
    return text;
}

}  // namespace velmora::app
