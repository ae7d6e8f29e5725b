// The action menu of a game: the ten verbs and what each choice does.
#include "shell/form1.h"
#include "shell/shell_texts.h"
#include "world/link.h"

namespace velmora::shell {
namespace {

// Built blocks kept alive: the menu may still stand in one built a little earlier.
constexpr size_t kKeptBlocks = 8;

std::vector<std::string> Titles(const std::vector<world::MObj*>& objects) {
    std::vector<std::string> titles;
    titles.reserve(objects.size());
    for (const world::MObj* o : objects) titles.push_back(o->Title);
    return titles;
}

}  // namespace

talkui::TMenuBlock& TForm1::Built(std::unique_ptr<talkui::TMenuBlock> block) {
    builtBlocks_.push_back(std::move(block));
    if (builtBlocks_.size() > kKeptBlocks) builtBlocks_.pop_front();
    return *builtBlocks_.back();
}

void TForm1::QuietBack(int times) {
    speech_.MuteSpeech();
    for (int i = 0; i < times && menu_->Depth > 1; ++i) menu_->Back();
    speech_.UnmuteSpeech();
}

int TForm1::ChosenIndex(const std::vector<std::string>& shown) const {
    const talkui::TMenuEntry* entry = kit_.ChosenEntry;
    if (entry == nullptr || entry->Caption == nullptr) return -1;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == *entry->Caption) return static_cast<int>(i);
    }
    return -1;
}

void TForm1::BuildActionMenu() {
    actionBlock_.Title = std::string();
    actionBlock_.Help = std::string();
    auto verb = [this](const std::string& caption, talkui::TEntryType type,
                       std::function<int(talkui::TMenuEntry&)> hook) {
        talkui::TMenuEntry& e = actionBlock_.AddEntry(caption, type);
        e.OnChoose = [hook](talkui::TMenuLine&, talkui::TMenuEntry& entry) { return hook(entry); };
    };
    using talkui::etCommand;
    using talkui::etSubmenu;
    world::MGame& g = gp_.game;
    verb(texts::Go(), etSubmenu, [this](talkui::TMenuEntry& e) { return GoHook(e); });
    verb(texts::Rest(), etCommand, [this](talkui::TMenuEntry&) {
        rules_->Rest();
        return 0;
    });
    verb(texts::Examine(), etSubmenu, [this, &g](talkui::TMenuEntry& e) {
        const auto here = gp_.hero.currentScreen ? gp_.hero.currentScreen->objectsHere
                                                 : std::vector<world::MObj*>{};
        return ObjectListHook(e, here, g.NotInter, [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
            const int i = ChosenIndex(objectCaptions_);
            if (i >= 0) rules_->ExamineObject(*objectList_[static_cast<size_t>(i)]);
            QuietBack(1);
            return 0;
        });
    });
    verb(texts::Carried(), etSubmenu, [this, &g](talkui::TMenuEntry& e) {
        return ObjectListHook(e, gp_.hero.carried, g.IHaveNot,
                              [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
                                  const int i = ChosenIndex(objectCaptions_);
                                  if (i >= 0) rules_->ExamineObject(*objectList_[static_cast<size_t>(i)]);
                                  QuietBack(1);
                                  return 0;
                              });
    });
    verb(texts::Use(), etSubmenu, [this](talkui::TMenuEntry& e) { return UseHook(e); });
    verb(texts::Take(), etSubmenu, [this, &g](talkui::TMenuEntry& e) {
        const auto here = gp_.hero.currentScreen ? gp_.hero.currentScreen->objectsHere
                                                 : std::vector<world::MObj*>{};
        return ObjectListHook(e, here, g.NoTake, [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
            const int i = ChosenIndex(objectCaptions_);
            if (i >= 0) rules_->TakeObject(i, false);
            QuietBack(1);
            return 0;
        });
    });
    verb(texts::Drop(), etSubmenu, [this, &g](talkui::TMenuEntry& e) {
        return ObjectListHook(e, gp_.hero.carried, g.NoDrop,
                              [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
                                  const int i = ChosenIndex(objectCaptions_);
                                  if (i >= 0) rules_->DropObject(i, false);
                                  QuietBack(1);
                                  return 0;
                              });
    });
    verb(texts::Talk(), etCommand, [this](talkui::TMenuEntry&) {
        kit_.UnitNoun = texts::Things();
        rules_->SayMessage(rules_->NextMessage(gp_.game.NoSpeak));
        QuietBack(1);
        return 0;
    });
    verb(texts::Give(), etSubmenu, [this](talkui::TMenuEntry& e) { return GiveHook(e); });
    talkui::TMenuEntry& game = actionBlock_.AddEntry(texts::Game(), etSubmenu);
    game.Link = &gameBlock_;
    game.OnChoose = [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
        kit_.UnitNoun = texts::Actions();
        return 0;
    };
    BuildGameBlocks();
}

int TForm1::ObjectListHook(talkui::TMenuEntry& entry, const std::vector<world::MObj*>& objects,
                           world::MessageList& whenEmpty, talkui::ChooseHook choice) {
    kit_.UnitNoun = texts::Things();
    if (objects.empty()) {
        rules_->SayMessage(rules_->NextMessage(whenEmpty));
        return 3;
    }
    objectList_ = objects;
    objectCaptions_ = Titles(objects);
    entry.Link = &Built(talkui::BuildMenuBlock(menu_.get(), 0, objectCaptions_, talkui::etCommand,
                                               nullptr, nullptr, nullptr, 0, std::move(choice),
                                               nullptr, nullptr));
    return 0;
}

int TForm1::GoHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Directions();
    std::vector<rules::Exit> exits;
    const int plain = rules_->ListExits(exits);
    if (exits.empty()) {
        rules_->SayMessage(rules_->NextMessage(gp_.game.NoGo));
        return 3;
    }
    std::string said = texts::CanGo();
    if (plain == 15) {
        said += texts::AllFour();
    } else {
        said += ": ";
        for (const rules::Exit& e : exits) said += e.label + ", ";
    }
    rules_->SayMessage(said);
    exitLabels_.clear();
    exitTargets_.clear();
    for (const rules::Exit& e : exits) {
        exitLabels_.push_back(e.label);
        exitTargets_.push_back(e.target);
    }
    entry.Link = &Built(talkui::BuildMenuBlock(
        menu_.get(), 0, exitLabels_, talkui::etCommand, nullptr, nullptr, nullptr, 0,
        [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
            const int i = ChosenIndex(exitLabels_);
            if (i < 0) {
                QuietBack(1);
                return 0;
            }
            // A death leaves the main menu showing: nothing more to do here.
            if (rules_->WalkTo(exitTargets_[static_cast<size_t>(i)])) QuietBack(1);
            return 0;
        },
        nullptr, nullptr));
    return 0;
}

int TForm1::UseHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Things();
    useSecondStage_ = false;
    std::vector<world::MObj*> list = gp_.hero.carried;
    if (gp_.hero.currentScreen) {
        const auto& here = gp_.hero.currentScreen->objectsHere;
        list.insert(list.end(), here.begin(), here.end());
    }
    if (list.empty()) {
        rules_->SayMessage(rules_->NextMessage(gp_.game.IHaveNot));
        return 3;
    }
    objectList_ = list;
    objectCaptions_ = Titles(list);
    entry.Link = &Built(talkui::BuildMenuBlock(
        menu_.get(), 0, objectCaptions_, talkui::etCommand, nullptr, nullptr, nullptr, 0,
        [this](talkui::TMenuLine& menu, talkui::TMenuEntry&) {
            const int i = ChosenIndex(objectCaptions_);
            if (i < 0) {
                QuietBack(1);
                return 0;
            }
            world::MObj& chosen = *objectList_[static_cast<size_t>(i)];
            const int32_t screenNo = gp_.hero.currentScreen ? gp_.hero.currentScreen->no : -1;
            if (!useSecondStage_) {
                useFirstNo_ = chosen.no;
                if (rules_->SingleCommandFor(chosen, screenNo)) {
                    QuietBack(1);
                    rules_->UseObjects(chosen, chosen.no, screenNo);
                } else {
                    useSecondStage_ = true;
                    menu.Search.clear();
                    menu.Filter(0, 0);
                    speech_.SayText(texts::OnWhat());
                }
                return 0;
            }
            QuietBack(2);
            if (world::MObj* first = world::ObjectByNumber(gp_.map, useFirstNo_)) {
                rules_->UseObjects(*first, chosen.no, screenNo);
            }
            return 0;
        },
        nullptr, nullptr));
    speech_.PendingPrefix = texts::What();
    return 0;
}

int TForm1::GiveHook(talkui::TMenuEntry& entry) {
    kit_.UnitNoun = texts::Things();
    if (gp_.hero.carried.empty()) {
        rules_->SayMessage(rules_->NextMessage(gp_.game.IHaveNot));
        return 3;
    }
    giftList_ = gp_.hero.carried;
    giftCaptions_ = Titles(giftList_);
    entry.Link = &Built(talkui::BuildMenuBlock(
        menu_.get(), 0, giftCaptions_, talkui::etSubmenu, nullptr, nullptr, nullptr, 0,
        [this](talkui::TMenuLine&, talkui::TMenuEntry& gift) {
            kit_.UnitNoun = texts::Things();
            if (ChosenIndex(giftCaptions_) < 0) {
                QuietBack(1);
                return 0;
            }
            const auto here = gp_.hero.currentScreen ? gp_.hero.currentScreen->objectsHere
                                                     : std::vector<world::MObj*>{};
            if (here.empty()) {
                rules_->SayMessage(texts::NoOneToGive());
                return 3;
            }
            receiverCaptions_ = Titles(here);
            gift.Link = &Built(talkui::BuildMenuBlock(
                menu_.get(), 0, receiverCaptions_, talkui::etCommand, nullptr, nullptr, nullptr,
                0,
                [this](talkui::TMenuLine&, talkui::TMenuEntry&) {
                    const bool found = ChosenIndex(receiverCaptions_) >= 0;
                    QuietBack(2);
                    // Giving never changes the world.
                    if (found) rules_->SayMessage(texts::DoesNotWork());
                    return 0;
                },
                nullptr, nullptr));
            speech_.SayText(texts::ToWhom());
            return 0;
        },
        nullptr, nullptr));
    speech_.PendingPrefix = texts::What();
    return 0;
}

}  // namespace velmora::shell
