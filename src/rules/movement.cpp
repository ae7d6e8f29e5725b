// Exits, walking, describing screens, death and entering a map.
#include <algorithm>
#include <limits>

#include "base/cp1251.h"
#include "base/encoding.h"
#include "base/file_error.h"
#include "base/paths.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
#include "rules/texts.h"
#include "world/game_files.h"
#include "world/key_access.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace velmora::rules {

int Rules::ListExits(std::vector<Exit>& exits) {
    exits.clear();
    const world::MScreen* s = Screen();
    if (s == nullptr) return 0;
    struct Direction {
        int32_t exit;
        int32_t dx, dy;
        const std::string& alt;
        const std::string& name;
        int bit;
    };
    const Direction directions[] = {
        {s->North, 0, 1, s->AltN, texts::North(), kNorthBit},
        {s->South, 0, -1, s->AltS, texts::South(), kSouthBit},
        {s->West, -1, 0, s->AltW, texts::West(), kWestBit},
        {s->East, 1, 0, s->AltE, texts::East(), kEastBit},
    };
    int plain = 0;
    for (const Direction& d : directions) {
        if (d.exit == world::kExitNone) continue;
        int32_t target = d.exit;
        if (target < 0) {
            // Neighbours beyond the coordinates' range do not exist.
            const int64_t x = int64_t{s->x} + d.dx;
            const int64_t y = int64_t{s->y} + d.dy;
            if (x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max() ||
                y < std::numeric_limits<int32_t>::min() || y > std::numeric_limits<int32_t>::max()) {
                continue;
            }
            target = world::CellAt(gp.map, static_cast<int32_t>(x), static_cast<int32_t>(y));
            if (target < 0) continue;
        }
        if (!d.alt.empty()) {
            exits.push_back({d.alt, target});
        } else {
            exits.push_back({d.name, target});
            plain |= d.bit;
        }
    }
    return plain;
}

bool Rules::GoToScreen(int32_t target) {
    if (target < 0 || static_cast<size_t>(target) >= gp.map.screens.size()) return true;
    const uint64_t generation = worldGeneration;
    if (Screen() != nullptr && !Screen()->OnAnyAct.empty()) RunScript(Screen()->OnAnyAct);
    if (generation != worldGeneration) return true;  // the script changed the map
    if (CheckForced() || CheckWaited(-1)) return true;
    if (generation != worldGeneration) return true;

    world::THero& hero = gp.hero;
    world::MScreen& screen = *gp.map.screens[static_cast<size_t>(target)];
    hero.currentScreen = &screen;
    hero.CurScrNo = target;
    hero.fRest = 0;
    const int64_t health = int64_t{hero.Health} - gp.game.GoDecHealth;
    hero.Health = static_cast<int32_t>(std::clamp<int64_t>(
        health, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    ShowHeroStatus();
    if (hero.Health < 1) {
        DieWithLine(0, -1);
        return false;
    }
    const std::string description = screen.DescrOnState != 0
                                         ? MessageAt(screen.Descr, screen.State)
                                         : NextMessage(screen.Descr);
    view_.SetGameText(description);
    hero.LastMessage = description;
    ShowScreenPicture(target, ArrivalFrame(screen));
    speech_.SayText(ArrivalText(screen, description));
    if (!screen.OnEnter.empty()) RunScript(screen.OnEnter);
    return true;
}

std::string Rules::ArrivalText(const world::MScreen& screen, const std::string& description) const {
    // A full stop after the title, or the voice runs it into the description
    // ("Экран: Сторожка Холодный очаг") as one phrase.
    std::string arrival = texts::ScreenPrefix() + screen.Title;
    if (!description.empty()) {
        const char last = arrival.back();  // never empty: it holds the prefix
        const bool ended = last == '.' || last == '!' || last == '?' || last == ':';
        arrival += (last == ' ' ? "" : ended ? " " : ". ") + description;
    }
    return arrival;
}

// The description last heard here (the first, before any arrival), picked
// without moving the list's cursor: asking where one is spends nothing.
std::string Rules::CurrentDescription(const world::MScreen& screen) const {
    const std::vector<std::string>& lines = screen.Descr.lines;
    if (screen.DescrOnState != 0) {
        return screen.State >= 0 && static_cast<size_t>(screen.State) < lines.size()
                   ? lines[static_cast<size_t>(screen.State)]
                   : std::string();
    }
    if (lines.empty()) return {};
    const int64_t at = std::clamp<int64_t>(screen.Descr.cursor, 0, static_cast<int64_t>(lines.size()) - 1);
    return lines[static_cast<size_t>(at)];
}

bool Rules::WalkTo(int32_t target) {
    gp.vars.glob_goingto = target;
    const uint64_t generation = worldGeneration;
    if (Screen() != nullptr && !Screen()->OnGo.empty() && !RunScript(Screen()->OnGo)) {
        gp.vars.glob_goingto = -1;
        return true;
    }
    if (generation != worldGeneration) {
        gp.vars.glob_goingto = -1;
        return true;
    }
    const bool alive = GoToScreen(target);
    if (alive) gp.vars.glob_goingto = -1;
    return alive;
}

// Maps that share one picture folder tell their screens apart by frame: the
// island's screens choose `frame 1` first thing on entry. Showing the plain
// picture before that showed, for a moment, the other map's picture of the
// same number: the arrival shows the frame its entry script chooses at once.
int32_t Rules::ArrivalFrame(const world::MScreen& screen) {
    const std::string_view script = screen.OnEnter;
    const std::vector<std::string> words =
        SplitWords(base::TrimBlanks(script.substr(0, script.find_first_of("\r\n"))));
    if (words.size() >= 2 && base::LowerText1251(words[0]) == "frame") {
        const int32_t n = world::ParseInt32(words[1], -1);
        if (n >= 0) return n;
    }
    return screen.ScrFrame;
}

void Rules::ShowScreenPicture(int32_t n, int32_t frame) {
    if (auto file =
            CheckedFile(ProjectFolder(), ScreenPictureName(n, frame), base::FileKind::Picture)) {
        view_.LoadGamePicture(*file);
    }
}

void Rules::DieWithLine(int64_t deathIndex, int32_t picture) {
    DieWithText(MessageAt(gp.game.Death, deathIndex), picture);
}

void Rules::DieWithText(const std::string& message, int32_t picture) {
    if (picture >= 0) {
        if (auto file =
                CheckedFile(ProjectFolder(), DeathPictureName(picture), base::FileKind::Picture)) {
            view_.LoadGamePicture(*file);
        }
    }
    SayMessage(message);
    WaitKey();
    GameOver();
}

void Rules::GameOver() {
    // The world as it was played is over: whatever action or script led here
    // stops instead of going on (a second death, a walk after the death, a
    // refusal sounded over the main menu).
    ++worldGeneration;
    sound_.StopMusic();
    speech_.SayText("");
    view_.ShowPageView();
    if (auto file = CheckedFile(gp.folders.program, "gif\\gameover.gif", base::FileKind::Picture)) {
        view_.LoadPagePicture(*file);
    }
    const std::string line = GameOverLine();
    view_.ClearPageText();
    for (const std::string& part : world::SplitLines(line)) view_.AppendPageLine(part);
    sound_.PlaySoundFile("viv_hit1.mp3", true);
    speech_.SayText(line);
    WaitKey();
    view_.OpenMainMenu();
    PlayProjectMusic("menu.mid", sound_.AppliedVolume);
}

void Rules::PlayProjectMusic(std::string_view name, int volume) {
    sound_.PlayMusic(ProjectMusicFile(name));
    sound_.SetMusicVolume(volume);
}

std::filesystem::path Rules::ProjectMusicFile(std::string_view name) const {
    // Found in any letter case; a missing file is still remembered for Ctrl+M
    // (the sound system plays only what the gate lets through).
    std::filesystem::path file = sound_.ProjectFile(name);
    if (file.empty()) file = ProjectFolder() / std::string(name);
    return file;
}

// Each map may have music of its own: an island that sounds like the shore
// it was reached from loses what the author gave it. A project with one
// tune for all plays map1.mid everywhere, as before.
std::filesystem::path Rules::MapMusicFile() const {
    const int64_t k = int64_t{gp.map.mapIndex} + 1;
    if (k > 1) {
        std::filesystem::path own = sound_.ProjectFile("map" + std::to_string(k) + ".mid");
        if (!own.empty()) return own;
    }
    return ProjectMusicFile("map1.mid");
}

void Rules::PlayMapMusic() {
    // A tune already playing goes on (the crossing's pages start the
    // island's music before the map changes) rather than starting over.
    const std::filesystem::path file = MapMusicFile();
    if (!sound_.MusicPlaying || file != sound_.CurrentMusicFile) sound_.PlayMusic(file);
    sound_.SetMusicVolume(sound_.AppliedVolume);
}

void Rules::EnterMap() {
    SayMessage(gp.map.FirstMessage);
    // Screen 0 as its arrival shows it (see ArrivalFrame), not always frame 0.
    ShowScreenPicture(0, gp.map.screens.empty() ? 0 : ArrivalFrame(*gp.map.screens.front()));
    PlayMapMusic();
}

bool Rules::ChangeMap(int32_t mapIndex) {
    if (depth_ > 0 && mapChangesLeft_-- <= 0) {
        StopAction("сменило карту больше " + std::to_string(mapChangeBudget) + " раз");
        return false;
    }
    try {
        world::ChangeMap(gp, mapIndex);
    } catch (const base::FileError& e) {
        // The game goes on in the map it was in. The error is the answer to
        // the action: no message of it is spoken over the error.
        view_.ReportError(e);
        errorAnswered_ = true;
        return false;
    }
    ++worldGeneration;
    EnterMap();
    return true;
}

}  // namespace velmora::rules
