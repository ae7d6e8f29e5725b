// SPDX-License-Identifier: GPL-3.0-or-later
// The game in a web page: the shipped game folder unpacked in memory at
// /game, the player's files in /state, speech to the page's live region or
// its own voice, sound and drawing through the page. The page calls the exported functions
// below from its key handler and its audio.
#include <emscripten.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "form_snapshot.h"
#include "page_bridge.h"
#include "page_events.h"
#include "page_front_end.h"
#include "page_sound.h"
#include "page_speech.h"
#include "frontend/common/transcript_tee.h"
#include "base/encoding.h"
#include "base/paths.h"
#include "check/check.h"
#include "frontend/headless/headless_run.h"
#include "frontend/headless/pretend_sound.h"
#include "shell/form1.h"

namespace {

velmora::web::PageEvents* g_events = nullptr;
velmora::shell::TForm1* g_form = nullptr;

// A whole decimal number of 32 bits; none for anything else.
std::optional<uint32_t> Seed(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long v = std::stoull(text);
    if (v > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(v);
}

// The player's own project, which the page unpacks here before the start.
const char* const kOwnProjects = "/projects";
const char* const kOwnProject = "own";
constexpr size_t kFindingsSaid = 20;

// The checker's findings, at most kFindingsSaid of them, and its summary.
velmora::base::Utf8 CheckReport(const std::filesystem::path& dir) {
    velmora::check::Report report;
    try {
        velmora::check::CheckProject(dir, report, "/game/Media");
    } catch (const std::exception& e) {
        report.Error(dir.string(), {}, e.what());
    }
    std::string lines;
    size_t said = 0;
    // Files are named as the player knows them: inside the folder chosen.
    const std::string prefix = dir.string() + "/";
    for (velmora::check::Finding f : report.findings()) {
        if (said++ == kFindingsSaid) break;
        if (f.file.starts_with(prefix)) f.file.erase(0, prefix.size());
        lines.append(velmora::check::Report::Line(f)).append("\n");
    }
    const size_t all = report.errors() + report.warnings();
    if (all > kFindingsSaid) lines.append("... ").append(std::to_string(all - kFindingsSaid)).append(" more\n");
    return velmora::base::Utf8(lines.append(report.Summary()));
}

// Closes the transcript file when the game is over.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

extern "C" {

// mods: 1 Shift, 2 Ctrl, 4 Alt, 8 Caps Lock on; typed: the character's
// code point, 0 for none.
EMSCRIPTEN_KEEPALIVE void velmora_key(int down, int key, int mods, int typed) {
    if (!g_events) return;
    velmora::ui::ShiftState shift;
    shift.Shift = (mods & 1) != 0;
    shift.Ctrl = (mods & 2) != 0;
    shift.Alt = (mods & 4) != 0;
    shift.CapsLockOn = (mods & 8) != 0;
    g_events->Key(down != 0, key, shift, typed > 0 ? static_cast<char32_t>(typed) : 0);
}

EMSCRIPTEN_KEEPALIVE void velmora_music_ended() {
    if (g_events) g_events->Post(velmora::shell::Event::Of(velmora::shell::Event::Kind::MusicEnded));
}

// The page's voice stopped a text, finished or cut off.
EMSCRIPTEN_KEEPALIVE void velmora_voice_stopped() {
    if (g_events) g_events->Post(velmora::shell::Event::Of(velmora::shell::Event::Kind::VoiceStopped));
}

// For the page's tests: 1 while the game is in a timed wait or its speech
// is still on a text, when a key would be taken by the wait, or while it
// has events it has not taken yet (a key just given).
EMSCRIPTEN_KEEPALIVE int velmora_busy() {
    return g_form && (g_form->TimedWaitRunning() || g_form->Speech().SpeechBusy ||
                      (g_events && g_events->Pending()))
               ? 1
               : 0;
}

// The page's new size, in CSS pixels.
EMSCRIPTEN_KEEPALIVE void velmora_resize(int width, int height) {
    if (!g_events || width <= 0 || height <= 0) return;
    velmora::shell::Event e = velmora::shell::Event::Of(velmora::shell::Event::Kind::Resize);
    e.width = width;
    e.height = height;
    g_events->Post(e);
}

// The page's menu: the entry at `row` of what MirrorSnapshot gave was chosen
// (a touch screen reader's double tap, a click).
EMSCRIPTEN_KEEPALIVE void velmora_choose(int row) {
    if (!g_events) return;
    velmora::shell::Event e = velmora::shell::Event::Of(velmora::shell::Event::Kind::ChooseRow);
    e.row = row;
    g_events->Post(e);
}

// The page's own words (UTF-8), said as the game says its texts: by the
// page's voice or into the live region, and kept for F10.
EMSCRIPTEN_KEEPALIVE void velmora_say(const char* utf8) {
    if (g_form && utf8) g_form->Speech().SayText(velmora::base::ToCp1251(velmora::base::Utf8(utf8)));
}

EMSCRIPTEN_KEEPALIVE void velmora_quit() {
    if (g_events) g_events->Quit();
}

}  // extern "C"

int main() {
    namespace fs = std::filesystem;
    using namespace velmora;
    const fs::path state = "/state";
    std::error_code ec;
    fs::create_directories(state, ec);

    web::PageEvents events;
    g_events = &events;
    web::PageFrontEnd frontEnd(events);
    shell::ShellOptions options;
    options.programFolder = "/game";
    options.stateFolder = state;
    options.keyHelp = shell::ShellOptions::KeyHelp::page;
    // The page's address may ask for what the command line gives on the
    // desktop: -nomenu, the message picker's seed, a transcript (written to
    // /transcript.txt in the headless transcript's format), and speech=instant,
    // the headless game's reader.
    options.nomenu = web::PageOption("nomenu") == "1";
    options.seed = Seed(web::PageOption("seed"));
    if (web::PageOption("project") == "1") {
        const fs::path dir = fs::path(kOwnProjects) / kOwnProject;
        if (base::FindPath(dir, "game.ini")) {
            web::PageReport(CheckReport(dir));
            options.project = shell::ProjectChoice{kOwnProjects, kOwnProject};
        } else {
            web::PageReport(base::Utf8("Своей игры в браузере нет: откройте её папку ещё раз."));
        }
    }
    // Cues and the beep through the game's sound system, once it is built.
    sound::SignalSounds signals;
    options.signals = &signals;
    auto cue = [&signals](int number) { signals.Cue(number); };
    std::unique_ptr<speech::SpeechOutput> output;
    if (web::PageWantsVoice()) {
        output = std::make_unique<web::PageVoiceSpeech>(cue);
    } else if (web::PageOption("speech") == "instant") {
        // For key scripts and transcripts: the headless game's reader.
        output = std::make_unique<web::LiveRegionSpeech>(cue, [&events] {
            events.PostWhenKeysUp(shell::Event::Of(shell::Event::Kind::SpeechEnded));
        });
    } else {
        output = std::make_unique<web::LiveRegionSpeech>(cue);
    }
    std::unique_ptr<std::FILE, FileCloser> transcriptFile;
    std::optional<frontend::TranscriptWriter> transcript;
    std::optional<frontend::TranscriptSound> transcriptSound;
    std::optional<app::TeeFrontEnd> tee;
    shell::FrontEnd* shownTo = &frontEnd;
    if (web::PageOption("transcript") == "1") {
        transcriptFile.reset(std::fopen("/transcript.txt", "w"));
        if (transcriptFile) {
            transcript.emplace(transcriptFile.get(), options.programFolder);
            output = std::make_unique<app::TeeSpeech>(*transcript, std::move(output));
            transcriptSound.emplace(*transcript);
            tee.emplace(*transcript, frontEnd);
            shownTo = &*tee;
        }
    }
    try {
        // ?sound=headless: the headless game's sound for key scripts, where
        // every sound file counts as played at once, so a page's transcript
        // follows the same steps as the desktop's for the same keys.
        std::unique_ptr<sound::SoundDriver> driver;
        if (web::PageOption("sound") == "headless") {
            driver = std::make_unique<frontend::PretendSoundDriver>();
        } else {
            driver = std::make_unique<web::PageSoundDriver>();
        }
        shell::TForm1 window(options, events, *shownTo, std::move(output), std::move(driver),
                             transcriptSound ? &*transcriptSound : nullptr);
        g_form = &window;
        frontEnd.Show(&window.Form(), [&signals] { signals.Beep(); });
        // The page's menu hears of what the player can act on once a batch
        // of events is handled, when it changed.
        std::string mirrorShown;
        events.SetBeforeWait([&window, &mirrorShown] {
            std::string now = web::MirrorSnapshot(window.Mirror());
            if (now == mirrorShown) return;
            mirrorShown = std::move(now);
            web::PageMirror(mirrorShown);
        });
        window.Run();
        events.SetBeforeWait({});
        window.FormClose();
        frontEnd.Show(nullptr, {});
        g_form = nullptr;
        // A window closes; a page stays: it tells the player the game is over.
        web::PageView("closed");
    } catch (const std::exception& e) {
        // Nothing the game reads should get here; the page shows the console.
        std::cerr << "velmora: " << e.what() << '\n';
        g_form = nullptr;
        g_events = nullptr;
        return 1;
    }
    g_events = nullptr;
    return 0;
}
