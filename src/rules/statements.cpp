// The statements of the script language.
#include <algorithm>
#include <limits>

#include "base/cp1251.h"
#include "rules/rules.h"
#include "rules/texts.h"
#include "world/key_lines.h"
#include "world/link.h"

namespace velmora::rules {
namespace {

int32_t Number(const std::vector<std::string>& words, size_t i, int32_t fallback) {
    return i < words.size() ? world::ParseInt32(words[i], fallback) : fallback;
}

// The exit that a direction word names, or null.
int32_t* ExitFor(world::MScreen& s, const std::string& word) {
    const std::string w = base::LowerText1251(word);
    if (w == texts::NorthWord() || w == "n") return &s.North;
    if (w == texts::SouthWord() || w == "s") return &s.South;
    if (w == texts::EastWord() || w == "e") return &s.East;
    if (w == texts::WestWord() || w == "w") return &s.West;
    return nullptr;
}

template <typename T>
void Remove(std::vector<T*>& list, const T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <typename T>
int32_t IndexIn(const std::vector<T*>& list, const T* item) {
    const auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

}  // namespace

bool Rules::RunStatement(world::MScript& /*owner*/, std::string_view line) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return true;
    const std::string keyword = base::LowerText1251(words[0]);
    const std::string arg1 = words.size() > 1 ? words[1] : std::string();
    world::MScreen* screen = Screen();
    world::MObj* object = nullptr;
    if (keyword == "show" || keyword == "hide" || keyword == "takeable" ||
        keyword == "notakeable" || keyword == "drop" || keyword == "take" ||
        keyword == "notexam" || keyword == "setostat") {
        object = ObjectByTitle(arg1);
        if (object == nullptr) return true;
    }
    world::MMap& map = gp.map;
    world::THero& hero = gp.hero;

    if (keyword == "show") {
        if (object->Visible != 0) return true;
        if (object->ScrWhere == world::kCarried) {
            hero.carried.push_back(object);
        } else if (object->ScrWhere >= 0) {
            if (auto* s = world::ScreenByNumber(map, object->ScrWhere)) s->objectsHere.push_back(object);
        }
        object->Visible = 1;
        sound_.PlayEffect(3);
    } else if (keyword == "hide") {
        if (object->Visible == 0) return true;
        if (object->ScrWhere == world::kCarried) {
            Remove(hero.carried, object);
        } else if (object->ScrWhere >= 0) {
            if (auto* s = world::ScreenByNumber(map, object->ScrWhere)) Remove(s->objectsHere, object);
        }
        object->Visible = 0;
    } else if (keyword == "takeable") {
        object->Takable = 1;
    } else if (keyword == "notakeable") {
        object->Takable = 0;
    } else if (keyword == "notexam") {
        object->NotExam = 1;
    } else if (keyword == "setostat") {
        const int32_t s = Number(words, 2, -1);
        if (s >= 0) object->State = s;
    } else if (keyword == "drop") {
        const int32_t at = IndexIn(hero.carried, object);
        if (at >= 0) {
            DropObject(at, true);
        } else if (screen != nullptr) {
            object->ScrWhere = screen->no;
        }
    } else if (keyword == "take") {
        const int32_t at = screen != nullptr ? IndexIn(screen->objectsHere, object) : -1;
        if (at >= 0) {
            TakeObject(at, true);
        } else {
            object->ScrWhere = world::kCarried;
        }
    } else if (keyword == "open" || keyword == "close") {
        int32_t* exit = screen != nullptr ? ExitFor(*screen, arg1) : nullptr;
        if (exit != nullptr) *exit = keyword == "open" ? world::kExitByGrid : world::kExitNone;
    } else if (keyword == "frame") {
        const int32_t n = Number(words, 1, -1);
        if (n >= 0 && screen != nullptr) {
            screen->ScrFrame = n;
            ShowScreenPicture(screen->no, n);
        }
    } else if (keyword == "pic") {
        if (screen != nullptr) {
            if (screen->ScrFrame < std::numeric_limits<int32_t>::max()) ++screen->ScrFrame;
            ShowScreenPicture(screen->no, screen->ScrFrame);
        }
    } else if (keyword == "state") {
        const int32_t n = Number(words, 1, -1);
        if (n >= 0 && screen != nullptr) screen->State = n;
    } else if (keyword == "anykey") {
        WaitKey();
        suppressNext = false;
    } else if (keyword == "wait") {
        WaitPage();
        suppressNext = false;
    } else if (keyword == "go") {
        for (size_t i = 0; i < map.screens.size(); ++i) {
            if (base::EqualsNoCase1251(map.screens[i]->Title, arg1)) {
                GoToScreen(static_cast<int32_t>(i));
                break;
            }
        }
    } else if (keyword == "say") {
        suppressNext = false;
        SayMessage(line.size() > 3 ? line.substr(3) : std::string_view());
        suppressNext = true;
    } else if (keyword == "mes") {
        const int32_t n = Number(words, 1, 1);
        if (n >= 1 && screen != nullptr) {
            suppressNext = false;
            SayMessage(MessageAt(screen->Messages, int64_t{n} - 1));
            suppressNext = true;
        }
    } else if (keyword == "force") {
        gp.vars.glob_forced = Number(words, 1, 0);
    } else if (keyword == "ifnt") {
        gp.vars.glob_waited_act = Number(words, 1, 0);
        std::string rest;
        if (words.size() > 2) {
            const size_t at = line.find(words[2]);
            if (at != std::string_view::npos) rest = std::string(line.substr(at));
        }
        gp.vars.glob_waited_act_cmd = rest;
    } else if (keyword == "call") {
        const int32_t n = Number(words, 1, 1);
        if (n >= 1 && screen != nullptr) RunScript(MessageAt(screen->Scripts, int64_t{n} - 1));
    } else if (keyword == "health") {
        const int64_t health = int64_t{hero.Health} + Number(words, 1, 0);
        hero.Health = static_cast<int32_t>(std::clamp<int64_t>(
            health, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        ShowHeroStatus();
        if (hero.Health < 1) DieWithLine(0, -1);
    } else if (keyword == "map") {
        // A map that cannot be entered stops the script, so a command whose
        // script it is does not count as done and can be tried again.
        if (!ChangeMap(Number(words, 1, 0))) return false;
    } else if (keyword == "inter") {
        const int32_t n = Number(words, 1, 0);
        if (n >= 1 && static_cast<size_t>(n) <= gp.game.Intros.lines.size()) {
            PlayPages(int64_t{n} - 1);
            view_.ShowGameView();
        }
    } else if (keyword == "die") {
        const int32_t n = Number(words, 1, 0);
        const int32_t picture = Number(words, 2, -1);
        if (n == 0) {
            DieWithText(std::string(), picture);
        } else {
            DieWithLine(int64_t{n} - 1, picture);
        }
        return false;
    } else if (keyword == "exit") {
        view_.OpenMainMenu();
        PlayProjectMusic("menu.mid", sound_.AppliedVolume);
        return false;
    } else if (keyword == "snd") {
        soundPlayed = sound_.PlaySoundFile(line.size() > 3 ? line.substr(3) : std::string_view(), true);
    } else if (keyword == "ret") {
        return false;
    }
    return true;
}

}  // namespace velmora::rules
