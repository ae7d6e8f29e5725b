#include "shell/action_menus.h"

#include "shell/shell_texts.h"
#include "world/link.h"

namespace velmora::shell {
namespace {

std::vector<std::string> Titles(const std::vector<world::MObj*>& objects) {
    std::vector<std::string> titles;
    titles.reserve(objects.size());
    for (const world::MObj* o : objects) titles.push_back(o->Title);
    return titles;
}

}  // namespace

// What a built list of objects was built from. Each block keeps its own, so a
// block still reachable after another verb built a list acts on what it shows.
struct ActionMenus::ObjectList {
    std::vector<world::MObj*> objects;
    std::vector<std::string> captions;
    uint64_t generation = 0;  // the world the objects belong to
    bool secondStage = false;  // the use list: the second object is being chosen
    int32_t firstNo = 0;
};

// Never past the action menu: the second choice of a use is made on the
// same list, one level down, so its second Back, and the Back after a walk
// whose interlude already reopened the action menu, would stand at the top
// and give the boundary cue 13. Muting silences speech, not cues, and after
// a success that cue would sound like a refusal.
void ActionMenus::QuietBack(int times) {
    if (menu_ == nullptr) return;
    speech_.MuteSpeech();
    for (int i = 0; i < times && menu_->Depth > 1; ++i) menu_->Back();
    speech_.UnmuteSpeech();
}

int ActionMenus::ChosenIndex(const std::vector<std::string>& shown) const {
    const talkui::TMenuEntry* entry = kit_.ChosenEntry;
    if (entry == nullptr || entry->Caption == nullptr) return -1;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == *entry->Caption) return static_cast<int>(i);
    }
    return -1;
}

std::shared_ptr<ActionMenus::ObjectList> ActionMenus::MakeObjectList(std::vector<world::MObj*> objects) {
    auto list = std::make_shared<ObjectList>();
    list->captions = Titles(objects);
    list->objects = std::move(objects);
    list->generation = rules_.worldGeneration;
    return list;
}

// The chosen object of a list, or -1. A list whose objects were replaced by a
// load since it was built is never acted on: the objects are gone.
int ActionMenus::ChosenObject(const ObjectList& list) const {
    if (list.generation != rules_.worldGeneration) return -1;
    return ChosenIndex(list.captions);
}

ActionMenus::ActionMenus(Host& host, world::GameProject& gp, rules::Rules& rules,
                         speech::SpeechRouter& speech, talkui::Toolkit& kit)
    : host_(host), gp_(gp), rules_(rules), speech_(speech), kit_(kit) {
    BuildActionMenu();
    BuildGameBlocks();
}

std::vector<world::MObj*> ActionMenus::ObjectsHere() const {
    return gp_.hero.currentScreen ? gp_.hero.currentScreen->objectsHere
                                  : std::vector<world::MObj*>{};
}

void ActionMenus::BuildActionMenu() {
    actionBlock_.Title = std::string();
    auto verb = [this](const std::string& caption, talkui::TEntryType type,
                       std::function<talkui::MenuResult(talkui::TMenuEntry&)> hook) {
        talkui::TMenuEntry& e = actionBlock_.AddEntry(caption, type);
        e.OnChoose = [hook](talkui::TMenuLine&, talkui::TMenuEntry& entry) { return hook(entry); };
    };
    using talkui::etCommand;
    using talkui::etSubmenu;
    world::MGame& g = gp_.game;
    auto here = [this] { return ObjectsHere(); };
    auto examine = [this](size_t, world::MObj& object) { rules_.ExamineObject(object); };
    verb(texts::Go(), etSubmenu, [this](talkui::TMenuEntry& e) { return GoHook(e); });
    verb(texts::Rest(), etCommand, [this](talkui::TMenuEntry&) {
        rules_.Rest();
        return talkui::MenuResult::GoOn;
    });
    verb(texts::Examine(), etSubmenu, [this, &g, here, examine](talkui::TMenuEntry& e) {
        return ObjectListHook(e, here(), g.NotInter, examine);
    });
    verb(texts::Carried(), etSubmenu, [this, &g, examine](talkui::TMenuEntry& e) {
        return ObjectListHook(e, gp_.hero.carried, g.IHaveNot, examine);
    });
    verb(texts::Use(), etSubmenu, [this](talkui::TMenuEntry& e) { return UseHook(e); });
    verb(texts::Take(), etSubmenu, [this, &g, here](talkui::TMenuEntry& e) {
        return ObjectListHook(e, here(), g.NoTake, [this](size_t i, world::MObj&) {
            rules_.TakeObject(static_cast<int32_t>(i), false);
        });
    });
    verb(texts::Drop(), etSubmenu, [this, &g](talkui::TMenuEntry& e) {
        return ObjectListHook(e, gp_.hero.carried, g.NoDrop, [this](size_t i, world::MObj&) {
            rules_.DropObject(static_cast<int32_t>(i), false);
        });
    });
    verb(texts::Talk(), etCommand, [this](talkui::TMenuEntry&) {
        kit_.UnitNoun = texts::Things();
        rules_.SayMessage(rules_.NextMessage(gp_.game.NoSpeak));
        QuietBack(1);
        return talkui::MenuResult::GoOn;
    });
    verb(texts::Give(), etSubmenu, [this](talkui::TMenuEntry& e) { return GiveHook(e); });
    talkui::TMenuEntry& game = actionBlock_.AddEntry(texts::Game(), etSubmenu);
    game.Link = &gameBlock_;
    game.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        kit_.UnitNoun = texts::Actions();
        return talkui::MenuResult::GoOn;
    };
}

// The game block: loading and saving in five slots, a new game, leaving.
void ActionMenus::BuildGameBlocks() {
    gameBlock_.Title = std::string();
    slotBlock_.Title = std::string();
    auto slotMenu = [this](const std::string& caption, bool load) {
        talkui::TMenuEntry& e = gameBlock_.AddEntry(caption, talkui::etSubmenu);
        e.Link = &slotBlock_;
        e.OnChoose = [this, load](talkui::TMenuLine&, talkui::TMenuEntry&) {
            kit_.UnitNoun = texts::Saves();
            host_.SetSlotModeLoad(load);
            return talkui::MenuResult::GoOn;
        };
    };
    slotMenu(texts::LoadGame(), true);
    slotMenu(texts::SaveGame(), false);
    talkui::TMenuEntry& fresh = gameBlock_.AddEntry(texts::NewGame(), talkui::etAction);
    fresh.OnChoose = [this](talkui::TMenuLine& menu, talkui::TMenuEntry&) {
        QuietBack(1);
        menu.Current = -1;
        host_.NewGame();
        return talkui::MenuResult::GoOn;
    };
    talkui::TMenuEntry& leave = gameBlock_.AddEntry(texts::LeaveToMenu(), talkui::etAction);
    leave.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        host_.LeaveToMainMenu();
        return talkui::MenuResult::GoOn;
    };
    // The settings come last, after the entries every key script counts on.
    talkui::TMenuEntry& settings = gameBlock_.AddEntry(texts::Settings(), talkui::etSubmenu);
    settings.Link = &host_.SettingsBlock();
    settings.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        host_.SettingsOpening();
        return talkui::MenuResult::GoOn;
    };
    for (int n = 1; n <= 5; ++n) {
        talkui::TMenuEntry& slot = slotBlock_.AddEntry(texts::Slot(n), talkui::etAction, n);
        // Each slot says what it holds whenever the list is shown: slots that
        // all sound alike leave the player guessing until an empty one answers.
        slot.Flags |= talkui::efCaptionHook;
        slot.CaptionHook = [this, n](talkui::TMenuLine&, talkui::TMenuEntry&, std::string& caption) {
            caption += host_.SlotContents(n);
        };
        slot.OnChoose = [this, n](talkui::TMenuLine& menu, talkui::TMenuEntry&) {
            QuietBack(2);
            menu.Current = -1;
            host_.LoadOrSaveSlotChosen(n);
            return talkui::MenuResult::GoOn;
        };
    }
}

talkui::MenuResult ActionMenus::ObjectListHook(talkui::TMenuEntry& entry,
                                               const std::vector<world::MObj*>& objects,
                                               world::MessageList& whenEmpty, ObjectAction action) {
    kit_.UnitNoun = texts::Things();
    if (objects.empty()) {
        rules_.SayMessage(rules_.NextMessage(whenEmpty));
        return talkui::MenuResult::Stop;
    }
    auto list = MakeObjectList(objects);
    entry.Attach(talkui::BuildOwnedBlock(
        list->captions, talkui::etCommand,
        [this, list, action](talkui::TMenuLine&, talkui::TMenuEntry&) {
            const int i = ChosenObject(*list);
            if (i >= 0) action(static_cast<size_t>(i), *list->objects[static_cast<size_t>(i)]);
            QuietBack(1);
            return talkui::MenuResult::GoOn;
        }));
    return talkui::MenuResult::GoOn;
}

// The list ends with a full stop, not with the comma after every label
// that braille would show.
std::string ActionMenus::ExitsPhrase(const std::vector<rules::Exit>& exits, int plain) {
    std::string said = texts::CanGo();
    if (plain == 15) {
        said += texts::AllFour();
    } else {
        said += ": ";
        for (size_t i = 0; i < exits.size(); ++i) said += (i ? ", " : "") + exits[i].label;
    }
    return said + ".";
}

std::string ActionMenus::ExitsPhrase() {
    std::vector<rules::Exit> exits;
    const int plain = rules_.ListExits(exits);
    return exits.empty() ? std::string() : ExitsPhrase(exits, plain);
}

talkui::MenuResult ActionMenus::GoHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Directions();
    std::vector<rules::Exit> exits;
    const int plain = rules_.ListExits(exits);
    if (exits.empty()) {
        rules_.SayMessage(rules_.NextMessage(gp_.game.NoGo));
        return talkui::MenuResult::Stop;
    }
    rules_.SayMessage(ExitsPhrase(exits, plain));
    auto labels = std::make_shared<std::vector<std::string>>();
    auto targets = std::make_shared<std::vector<int32_t>>();
    for (const rules::Exit& e : exits) {
        labels->push_back(e.label);
        targets->push_back(e.target);
    }
    entry.Attach(talkui::BuildOwnedBlock(
        *labels, talkui::etCommand,
        [this, labels, targets](talkui::TMenuLine&, talkui::TMenuEntry&) {
            const int i = ChosenIndex(*labels);
            if (i < 0) {
                QuietBack(1);
                return talkui::MenuResult::GoOn;
            }
            // A death leaves the main menu showing: nothing more to do here.
            if (rules_.WalkTo((*targets)[static_cast<size_t>(i)])) QuietBack(1);
            return talkui::MenuResult::GoOn;
        }));
    return talkui::MenuResult::GoOn;
}

talkui::MenuResult ActionMenus::UseHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Things();
    std::vector<world::MObj*> objects = gp_.hero.carried;
    if (gp_.hero.currentScreen) {
        const auto& here = gp_.hero.currentScreen->objectsHere;
        objects.insert(objects.end(), here.begin(), here.end());
    }
    if (objects.empty()) {
        rules_.SayMessage(rules_.NextMessage(gp_.game.IHaveNot));
        return talkui::MenuResult::Stop;
    }
    auto list = MakeObjectList(std::move(objects));
    entry.Attach(talkui::BuildOwnedBlock(
        list->captions, talkui::etCommand,
        [this, list](talkui::TMenuLine& menu, talkui::TMenuEntry&) {
            const int i = ChosenObject(*list);
            if (i < 0) {
                QuietBack(1);
                return talkui::MenuResult::GoOn;
            }
            world::MObj& chosen = *list->objects[static_cast<size_t>(i)];
            const int32_t screenNo = gp_.hero.currentScreen ? gp_.hero.currentScreen->no : -1;
            if (!list->secondStage) {
                list->firstNo = chosen.no;
                if (rules_.SingleCommandFor(chosen, screenNo)) {
                    QuietBack(1);
                    rules_.UseObjects(chosen, chosen.no, screenNo);
                } else {
                    list->secondStage = true;
                    // Before the first row, as every list starts: the first
                    // Down says the first object. No boundary cue: the list
                    // is not at an end, it starts again.
                    menu.ShowAllRows(-1);
                    speech_.SayText(texts::OnWhat());
                }
                return talkui::MenuResult::GoOn;
            }
            const int32_t secondNo = chosen.no;
            QuietBack(2);
            if (world::MObj* first = world::ObjectByNumber(gp_.map, list->firstNo)) {
                rules_.UseObjects(*first, secondNo, screenNo);
            }
            return talkui::MenuResult::GoOn;
        }));
    speech_.PendingPrefix = texts::What();
    return talkui::MenuResult::GoOn;
}

talkui::MenuResult ActionMenus::GiveHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Things();
    if (gp_.hero.carried.empty()) {
        rules_.SayMessage(rules_.NextMessage(gp_.game.IHaveNot));
        return talkui::MenuResult::Stop;
    }
    auto gifts = std::make_shared<std::vector<std::string>>(Titles(gp_.hero.carried));
    entry.Attach(talkui::BuildOwnedBlock(
        *gifts, talkui::etSubmenu, [this, gifts](talkui::TMenuLine&, talkui::TMenuEntry& gift) {
            kit_.UnitNoun = texts::Things();
            if (ChosenIndex(*gifts) < 0) {
                QuietBack(1);
                return talkui::MenuResult::GoOn;
            }
            const std::vector<world::MObj*> here = ObjectsHere();
            if (here.empty()) {
                rules_.SayMessage(texts::NoOneToGive());
                return talkui::MenuResult::Stop;
            }
            auto receivers = std::make_shared<std::vector<std::string>>(Titles(here));
            // The gift block stands while its entry takes the new receivers' block.
            gift.Attach(talkui::BuildOwnedBlock(
                *receivers, talkui::etCommand,
                [this, receivers](talkui::TMenuLine&, talkui::TMenuEntry&) {
                    const bool found = ChosenIndex(*receivers) >= 0;
                    QuietBack(2);
                    // Giving never changes the world.
                    if (found) rules_.SayMessage(texts::DoesNotWork());
                    return talkui::MenuResult::GoOn;
                }));
            speech_.SayText(texts::ToWhom());
            return talkui::MenuResult::GoOn;
        }));
    speech_.PendingPrefix = texts::What();
    return talkui::MenuResult::GoOn;
}

}  // namespace velmora::shell
