// Page sequences and the three waits.
#include <algorithm>
#include <deque>
#include <string>
#include <utility>

#include "base/cp1251.h"
#include "base/key_codes.h"
#include "base/paths.h"
#include "rules/nesting.h"
#include "rules/rules.h"
#include "rules/texts.h"
#include "world/key_access.h"
#include "world/key_lines.h"

namespace velmora::rules {

void Rules::OnKeyDown(int /*key*/) { waits.keyHeld = true; }

bool Rules::OnKeyUp(int key) {
    waits.keyHeld = false;
    if (!waits.waiting) return false;
    waits.waiting = false;
    if (key == base::vk::Escape || key == base::vk::Menu) waits.abort = true;
    return true;
}

void Rules::OnTick(int32_t ticks) {
    waits.TickCountdown = std::max(waits.TickCountdown - std::max(ticks, 0), 0);
}

int32_t Rules::TimedWaitTicksLeft() const {
    return timedWait_ && waits.waiting ? waits.TickCountdown : 0;
}

// Turns the event loop until `more` says the wait is over or no events are left.
void Rules::Wait(bool (*more)(const Rules&)) {
    while (!waits.ended && more(*this)) {
        if (!events_.DispatchNext()) waits.ended = true;
    }
}

void Rules::WaitKey() {
    const Nesting wait(waitDepth_);  // a wait may nest in another
    Wait([](const Rules& r) { return r.waits.keyHeld; });
    waits.waiting = true;
    // The prompt comes after the text it follows has been heard: a new text
    // would cut a voice off in the middle of it.
    const std::deque<std::string>& said = speech_.History();
    if (said.empty() || !texts::AsksForKey(said.back())) {
        Wait([](const Rules& r) { return r.waits.waiting && r.speech_.SpeechBusy; });
        if (waits.waiting && !waits.ended) speech_.SayText(texts::KeyPrompt());
    }
    Wait([](const Rules& r) { return r.waits.waiting; });
    waits.waiting = false;
}

bool Rules::WaitTicks(int32_t ticks) {
    const Nesting wait(waitDepth_);  // a wait may nest in another
    Wait([](const Rules& r) { return r.waits.keyHeld; });
    waits.waiting = true;
    waits.TickCountdown = std::max(ticks, 0);
    const bool outer = std::exchange(timedWait_, true);
    Wait([](const Rules& r) { return r.waits.waiting && r.waits.TickCountdown > 0; });
    timedWait_ = outer;
    const bool byKey = !waits.waiting && !waits.ended;
    waits.waiting = false;
    return byKey;
}

bool Rules::WaitPage(bool keysCarryOn) {
    const Nesting wait(waitDepth_);  // a wait may nest in another
    Wait([](const Rules& r) { return r.waits.keyHeld; });
    if (speech_.Output() == speech::SpeechOutputKind::soJaws) {
        // A reader that reports no end (a console's screen reader, the page's
        // live region) reads on by itself: the pause only spaces the texts.
        // Its end is heard as the end of a voice during a wait is, and a
        // key pressed in a script's pause is not spent on it.
        const bool outer = std::exchange(waits.keysCarryOn, keysCarryOn);
        const bool byKey = WaitTicks(30);
        waits.keysCarryOn = outer;
        if (!byKey && !waits.ended) sound_.PlayEffect(2);
        return byKey;
    }
    waits.waiting = true;
    Wait([](const Rules& r) { return r.waits.waiting && r.speech_.SpeechBusy; });
    const bool byKey = !waits.waiting;
    // Ended by the voice with no key down: no release is owed to this wait,
    // so the player's next key must not be taken as one. A key still held
    // keeps the flag, and its release is swallowed as the wait's own. (A
    // page's timed wait that follows sets the flag again either way.)
    if (!waits.keyHeld) waits.waiting = false;
    return byKey;
}

void Rules::PlayPages(int64_t index) {
    // The pages are told slowly; the player's own rate comes back after
    // them, or the rest of the game after the introduction or an interlude
    // would be spoken at the pages' rate.
    const int playerRate = speech_.SpeechRate();
    speech_.SetSpeechRate(40);
    view_.ReleasePagePicture();
    waits.abort = false;
    const std::vector<std::string> lines = world::SplitLines(MessageAt(gp.game.Intros, index));
    const PageLayout layout = view_.ShowPageView();
    view_.ClearPageText();
    bool spoken = false;
    const std::filesystem::path project = ProjectFolder();
    for (const std::string& line : lines) {
        if (waits.abort || waits.ended) break;
        if (line.size() < 2 || line[0] != '#') {
            view_.AppendPageLine(line);
            spoken = false;
            continue;
        }
        const size_t space = line.find(' ');
        const std::string keyword = base::LowerText1251(
            line.substr(1, space == std::string::npos ? std::string::npos : space - 1));
        const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
        const int32_t number = world::ParseInt32(argument, keyword == "vol" ? 0 : 10);
        if (keyword == "image") {
            if (auto file = CheckedFile(project, "gif\\" + argument, base::FileKind::Picture)) {
                if (auto size = view_.LoadPagePicture(*file)) {
                    const int w = static_cast<int>(size->width * layout.PageScale);
                    const int h = static_cast<int>(size->height * layout.PageScale);
                    view_.PlacePagePicture((layout.PageScreenWidth - w) / 2,
                                           (layout.windowHeight * 3 / 4 - h) / 2, w, h);
                }
            }
        } else if (keyword == "page") {
            if (!spoken) speech_.SayText(view_.PageText());
            const bool skipped = WaitPage();
            // Escape ends the sequence here, and any other key that cut the
            // page short asked for the next one: the page's pause is for a
            // page heard to its end. Run after a key, the pause would take
            // the player's next key as its own.
            if (waits.abort || waits.ended) break;
            if (!skipped) WaitTicks(number);
            view_.ClearPageText();
            spoken = false;
        } else if (keyword == "wait") {
            if (!spoken) {
                speech_.SayText(view_.PageText());
                spoken = true;
            }
            WaitTicks(number);
        } else if (keyword == "play") {
            if (auto file = CheckedFile(project, argument, base::FileKind::Music)) {
                sound_.PlayMusic(*file);
                sound_.SetMusicVolume(sound_.AppliedVolume);
            }
        } else if (keyword == "snd") {
            sound_.PlaySoundFile(argument, true);
        } else if (keyword == "vol") {
            sound_.SetMusicVolume(number);
        }
    }
    speech_.SetSpeechRate(playerRate);
}

}  // namespace velmora::rules
