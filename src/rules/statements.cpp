// The statements of the script language.
#include <algorithm>
#include <limits>

#include "base/cp1251.h"
#include "rules/rules.h"
#include "rules/script_syntax.h"
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

// The handlers of the statements; a friend of Rules, as the runner's own code.
struct ScriptLanguage {
    using Call = StatementCall;

    static bool Show(Rules& r, const Call& c) {
        world::MObj* object = c.object;
        if (object->Visible != 0) return true;
        if (object->ScrWhere == world::kCarried) {
            r.gp.hero.carried.push_back(object);
        } else if (object->ScrWhere >= 0) {
            if (auto* s = world::ScreenByNumber(r.gp.map, object->ScrWhere))
                s->objectsHere.push_back(object);
        }
        object->Visible = 1;
        r.sound_.PlayEffect(3);
        return true;
    }
    static bool Hide(Rules& r, const Call& c) {
        world::MObj* object = c.object;
        if (object->Visible == 0) return true;
        if (object->ScrWhere == world::kCarried) {
            Remove(r.gp.hero.carried, object);
        } else if (object->ScrWhere >= 0) {
            if (auto* s = world::ScreenByNumber(r.gp.map, object->ScrWhere))
                Remove(s->objectsHere, object);
        }
        object->Visible = 0;
        return true;
    }
    static bool Takeable(Rules&, const Call& c) {
        c.object->Takable = 1;
        return true;
    }
    static bool NoTakeable(Rules&, const Call& c) {
        c.object->Takable = 0;
        return true;
    }
    static bool NotExam(Rules&, const Call& c) {
        c.object->NotExam = 1;
        return true;
    }
    static bool SetOStat(Rules&, const Call& c) {
        const int32_t s = Number(c.words, 2, -1);
        if (s >= 0) c.object->State = s;
        return true;
    }
    static bool Drop(Rules& r, const Call& c) {
        const int32_t at = IndexIn(r.gp.hero.carried, c.object);
        if (at >= 0) {
            r.DropObject(at, true);
        } else if (c.screen != nullptr) {
            c.object->ScrWhere = c.screen->no;
        }
        return true;
    }
    static bool Take(Rules& r, const Call& c) {
        const int32_t at = c.screen != nullptr ? IndexIn(c.screen->objectsHere, c.object) : -1;
        if (at >= 0) {
            r.TakeObject(at, true);
        } else {
            c.object->ScrWhere = world::kCarried;
        }
        return true;
    }
    static bool OpenOrClose(Rules&, const Call& c) {
        int32_t* exit = ExitFor(*c.screen, c.words.size() > 1 ? c.words[1] : std::string());
        if (exit != nullptr) *exit = c.keyword == "open" ? world::kExitByGrid : world::kExitNone;
        return true;
    }
    static bool Frame(Rules& r, const Call& c) {
        const int32_t n = Number(c.words, 1, -1);
        if (n >= 0) {
            c.screen->ScrFrame = n;
            r.ShowScreenPicture(c.screen->no, n);
        }
        return true;
    }
    static bool Pic(Rules& r, const Call& c) {
        if (c.screen->ScrFrame < std::numeric_limits<int32_t>::max()) ++c.screen->ScrFrame;
        r.ShowScreenPicture(c.screen->no, c.screen->ScrFrame);
        return true;
    }
    static bool State(Rules&, const Call& c) {
        const int32_t n = Number(c.words, 1, -1);
        if (n >= 0) c.screen->State = n;
        return true;
    }
    static bool AnyKey(Rules& r, const Call&) {
        r.WaitKey();
        r.suppressNext = false;
        return true;
    }
    static bool Wait(Rules& r, const Call&) {
        r.WaitPage(true);
        r.suppressNext = false;
        return true;
    }
    static bool Go(Rules& r, const Call& c) {
        const std::string arg1 = c.words.size() > 1 ? c.words[1] : std::string();
        const auto& screens = r.gp.map.screens;
        for (size_t i = 0; i < screens.size(); ++i) {
            if (base::EqualsNoCase1251(screens[i]->Title, arg1)) {
                r.GoToScreen(static_cast<int32_t>(i));
                break;
            }
        }
        return true;
    }
    static bool Say(Rules& r, const Call& c) {
        r.suppressNext = false;
        r.SayMessage(c.line.size() > 3 ? c.line.substr(3) : std::string_view());
        r.suppressNext = true;
        return true;
    }
    static bool Mes(Rules& r, const Call& c) {
        const int32_t n = Number(c.words, 1, 1);
        if (n >= 1) {
            r.suppressNext = false;
            r.SayMessage(Rules::MessageAt(c.screen->Messages, int64_t{n} - 1));
            r.suppressNext = true;
        }
        return true;
    }
    static bool Force(Rules& r, const Call& c) {
        r.gp.vars.glob_forced = Number(c.words, 1, 0);
        return true;
    }
    static bool Ifnt(Rules& r, const Call& c) {
        r.gp.vars.glob_waited_act = Number(c.words, 1, 0);
        std::string rest;
        if (c.words.size() > 2) {
            const size_t at = c.line.find(c.words[2]);
            if (at != std::string_view::npos) rest = std::string(c.line.substr(at));
        }
        r.gp.vars.glob_waited_act_cmd = rest;
        return true;
    }
    static bool CallScript(Rules& r, const Call& c) {
        const int32_t n = Number(c.words, 1, 1);
        if (n >= 1) r.RunScript(Rules::MessageAt(c.screen->Scripts, int64_t{n} - 1));
        return true;
    }
    static bool Health(Rules& r, const Call& c) {
        world::THero& hero = r.gp.hero;
        const int64_t health = int64_t{hero.Health} + Number(c.words, 1, 0);
        hero.Health = static_cast<int32_t>(std::clamp<int64_t>(
            health, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        r.ShowHeroStatus();
        if (hero.Health < 1) r.DieWithLine(0, -1);
        return true;
    }
    static bool Map(Rules& r, const Call& c) {
        // A map that cannot be entered stops the script, so a command whose
        // script it is does not count as done and can be tried again.
        return r.ChangeMap(Number(c.words, 1, 0));
    }
    static bool Inter(Rules& r, const Call& c) {
        const int32_t n = Number(c.words, 1, 0);
        if (n >= 1 && static_cast<size_t>(n) <= r.gp.game.Intros.lines.size()) {
            r.PlayPages(int64_t{n} - 1);
            r.view_.ShowGameView();
        }
        return true;
    }
    static bool Die(Rules& r, const Call& c) {
        const int32_t n = Number(c.words, 1, 0);
        const int32_t picture = Number(c.words, 2, -1);
        if (n == 0) {
            r.DieWithText(std::string(), picture);
        } else {
            r.DieWithLine(int64_t{n} - 1, picture);
        }
        return false;
    }
    static bool Exit(Rules& r, const Call&) {
        r.view_.OpenMainMenu();
        r.PlayProjectMusic("menu.mid", r.sound_.AppliedVolume);
        return false;
    }
    static bool Snd(Rules& r, const Call& c) {
        r.soundPlayed =
            r.sound_.PlaySoundFile(c.line.size() > 3 ? c.line.substr(3) : std::string_view(), true);
        return true;
    }
    static bool Ret(Rules&, const Call&) { return false; }
};

const std::vector<StatementForm>& StatementForms() {
    using enum ArgKind;
    using L = ScriptLanguage;
    static const std::vector<StatementForm> forms = {
        {"show", {Object}, 1, Needs::Object, &L::Show},
        {"hide", {Object}, 1, Needs::Object, &L::Hide},
        {"takeable", {Object}, 1, Needs::Object, &L::Takeable},
        {"notakeable", {Object}, 1, Needs::Object, &L::NoTakeable},
        {"drop", {Object}, 1, Needs::Object, &L::Drop},
        {"take", {Object}, 1, Needs::Object, &L::Take},
        {"notexam", {Object}, 1, Needs::Object, &L::NotExam},
        {"setostat", {Object, Number}, 2, Needs::Object, &L::SetOStat},
        {"open", {Direction}, 1, Needs::Screen, &L::OpenOrClose},
        {"close", {Direction}, 1, Needs::Screen, &L::OpenOrClose},
        {"frame", {Number}, 1, Needs::Screen, &L::Frame},
        {"pic", {}, 0, Needs::Screen, &L::Pic},
        {"state", {Number}, 1, Needs::Screen, &L::State},
        {"anykey", {}, 0, Needs::Nothing, &L::AnyKey},
        {"wait", {}, 0, Needs::Nothing, &L::Wait},
        {"go", {Screen}, 1, Needs::Nothing, &L::Go},
        {"say", {Text}, 0, Needs::Nothing, &L::Say},
        {"mes", {Number}, 0, Needs::Screen, &L::Mes},
        {"force", {Number}, 1, Needs::Nothing, &L::Force},
        {"ifnt", {Number, Statement}, 2, Needs::Nothing, &L::Ifnt},
        {"call", {Number}, 0, Needs::Screen, &L::CallScript},
        {"health", {Number}, 1, Needs::Nothing, &L::Health},
        {"map", {Number}, 1, Needs::Nothing, &L::Map},
        {"inter", {Number}, 1, Needs::Nothing, &L::Inter},
        {"die", {Number, Number}, 0, Needs::Nothing, &L::Die},
        {"exit", {}, 0, Needs::Nothing, &L::Exit},
        {"snd", {Text}, 1, Needs::Nothing, &L::Snd},
        {"ret", {}, 0, Needs::Nothing, &L::Ret},
    };
    return forms;
}

bool Rules::RunStatement(world::MScript& /*owner*/, std::string_view line) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return true;
    const std::string keyword = base::LowerText1251(words[0]);
    const StatementForm* form = FindStatement(keyword);
    if (form == nullptr) return true;
    StatementCall call{words, line, keyword, Screen(), nullptr};
    switch (form->needs) {
        case Needs::Nothing:
            break;
        case Needs::Object:
            call.object =
                ObjectByTitle(words.size() > 1 ? std::string_view(words[1]) : std::string_view());
            if (call.object == nullptr) return true;
            break;
        case Needs::Screen:
            if (call.screen == nullptr) return true;
            break;
    }
    return form->run(*this, call);
}

}  // namespace velmora::rules
