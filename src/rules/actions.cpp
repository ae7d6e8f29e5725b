// Examining, taking, dropping and using objects, resting, the hero's state.
#include <algorithm>
#include <limits>

#include "rules/rules.h"
#include "rules/texts.h"
#include "world/link.h"

namespace velmora::rules {
namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

void Rules::ShowHeroStatus() {
    view_.ShowHeroStatus(gp.hero.Health, gp.hero.BagFull, gp.hero.Level);
}

bool Rules::RunEventScript(const std::string& script) {
    if (script.empty()) return true;
    return RunScript(script);
}

// The start of every action: the screen's OnAnyAct, then a forced or awaited
// action in its place. True when the action goes on.
bool Rules::Opening(bool dropOrder) {
    const uint64_t generation = worldGeneration;
    auto anyAct = [&] {
        if (Screen() != nullptr) RunEventScript(Screen()->OnAnyAct);
    };
    if (!dropOrder) anyAct();
    if (generation != worldGeneration) return false;
    if (CheckForced() || CheckWaited(-1)) return false;
    if (dropOrder) anyAct();
    return generation == worldGeneration;
}

void Rules::ExamineObject(world::MObj& object) {
    if (!Opening(false)) return;
    const uint64_t generation = worldGeneration;
    if (object.Descr.lines.empty()) {
        RunEventScript(object.OnExam);
        SayMessage(NextMessage(gp.game.NotInter));
        return;
    }
    if (object.NotExam != 0) {
        SayMessage(NextMessage(gp.game.NotExam));
        return;
    }
    RunEventScript(object.OnExam);
    if (generation != worldGeneration) return;  // the object belongs to a map that is gone
    SayMessage(object.DescrOnState != 0 ? MessageAt(object.Descr, object.State)
                                        : NextMessage(object.Descr));
}

bool Rules::TakeObject(int32_t index, bool quiet) {
    if (index < 0) return false;
    if (!quiet && !Opening(false)) return false;
    world::MScreen* screen = Screen();
    if (screen == nullptr || static_cast<size_t>(index) >= screen->objectsHere.size()) return false;
    world::MObj* object = screen->objectsHere[static_cast<size_t>(index)];
    if (object->Takable == 0) {
        if (!quiet) SayMessage(NextMessageThenRandom(gp.game.ICantTake));
        return false;
    }
    if (int64_t{gp.hero.BagFull} + object->Weight > kLimit) {
        if (!quiet) SayMessage(NextMessageThenRandom(gp.game.TooHavy));
        return false;
    }
    const uint64_t generation = worldGeneration;
    const bool taken = RunEventScript(object->OnTake);
    if (generation != worldGeneration || !taken) return false;
    gp.hero.BagFull = Saturate(int64_t{gp.hero.BagFull} + object->Weight);
    object->ScrWhere = world::kCarried;
    gp.hero.carried.push_back(object);
    auto& here = screen->objectsHere;
    here.erase(std::remove(here.begin(), here.end(), object), here.end());
    if (!quiet) SayMessage(NextMessage(gp.game.ITake));
    ShowHeroStatus();
    return true;
}

void Rules::DropObject(int32_t index, bool quiet) {
    if (index < 0) return;
    if (!quiet && !Opening(true)) return;
    world::MScreen* screen = Screen();
    auto& carried = gp.hero.carried;
    if (screen == nullptr || static_cast<size_t>(index) >= carried.size()) return;
    world::MObj* object = carried[static_cast<size_t>(index)];
    screen->objectsHere.push_back(object);
    gp.hero.BagFull = Saturate(int64_t{gp.hero.BagFull} - object->Weight);
    object->ScrWhere = screen->no;
    carried.erase(carried.begin() + index);
    const uint64_t generation = worldGeneration;
    RunEventScript(object->OnDrop);
    if (generation != worldGeneration) return;
    if (!quiet) SayMessage(NextMessage(gp.game.IDrop));
    ShowHeroStatus();
}

namespace {

// Whether a command may run here with its first object as the carry rule says.
bool AppliesHere(const world::MScript& c, int32_t screenNo, const world::MObj& first) {
    if (!(c.cScr < -1 || c.cScr == screenNo)) return false;
    return c.cObj1Carry == 0 || first.ScrWhere == world::kCarried;
}

}  // namespace

bool Rules::SingleCommandFor(const world::MObj& object, int32_t screenNo) const {
    int applicable = 0;
    int alone = 0;
    for (const world::MScript* c : object.objectCommands) {
        if (!AppliesHere(*c, screenNo, object)) continue;
        ++applicable;
        if (c->cObj2 == object.no) ++alone;
    }
    return applicable == 1 && alone == 1;
}

bool Rules::UseObjects(world::MObj& first, int32_t secondNo, int32_t screenNo) {
    const uint64_t generation = worldGeneration;
    if (Screen() != nullptr) RunEventScript(Screen()->OnAnyAct);
    if (generation != worldGeneration || CheckForced()) return false;
    const world::MObj* second = world::ObjectByNumber(gp.map, secondNo);
    // A copy: a command's script may change the map and with it these lists.
    const std::vector<world::MScript*> commands = first.objectCommands;
    for (world::MScript* c : commands) {
        if (c->cObj2 != secondNo || !AppliesHere(*c, screenNo, first)) continue;
        if (c->cObj2Carry != 0 && (second == nullptr || second->ScrWhere != world::kCarried)) continue;
        if (CheckWaited(c->no)) return false;
        if (TryCommand(*c)) return true;
        break;
    }
    if (generation != worldGeneration) return false;
    // A command that failed with an error (a map that could not be entered):
    // the error is the answer, not a refusal spoken over it.
    if (errorAnswered_) return false;
    if (CheckWaited(-1)) return false;
    SayMessage(NextMessageThenRandom(gp.game.ICant));
    sound_.PlayEffect(1);
    return false;
}

bool Rules::TryCommand(world::MScript& command) {
    suppressNext = false;
    soundPlayed = false;
    if (command.Enabled == 0 || command.used >= command.MaxOnce) return false;
    // The command's own lines and message: its script may replace the map it belongs to.
    const std::vector<std::string> lines = command.script;
    const std::string message = command.Message;
    const uint64_t generation = worldGeneration;
    if (!RunBlock(command, lines)) return false;
    // After a change of map the record is gone; its use was saved with the map left.
    if (generation == worldGeneration) command.used = Saturate(int64_t{command.used} + 1);
    gp.hero.Level = Saturate(int64_t{gp.hero.Level} + 1);
    SayMessage(message);
    ShowHeroStatus();
    if (soundPlayed) {
        soundPlayed = false;
    } else {
        sound_.PlayEffect(0);
    }
    return true;
}

void Rules::Rest() {
    if (!Opening(false)) return;
    world::MScreen* screen = Screen();
    if (screen == nullptr) return;
    const uint64_t generation = worldGeneration;
    if (!screen->OnRest.empty() && !RunScript(screen->OnRest)) return;
    if (generation != worldGeneration) return;
    world::THero& hero = gp.hero;
    if (!screen->DieOnRest.empty()) {
        DieWithText(screen->DieOnRest, -1);
        return;
    }
    if (hero.fRest != 0) {
        hero.Health = Saturate(int64_t{hero.Health} - gp.game.RestDecHealth);
        SayMessage(NextMessage(gp.game.LongRest));
    } else {
        hero.fRest = 1;
        hero.Health = Saturate(std::min<int64_t>(int64_t{hero.Health} + gp.game.RestIncHealth, kLimit));
        SayMessage(NextMessage(screen->RestMessage.lines.empty() ? gp.game.StdRest
                                                                  : screen->RestMessage));
    }
    ShowHeroStatus();
    if (hero.Health < 1) DieWithLine(0, -1);
}

void Rules::SayHeroState() {
    const world::THero& h = gp.hero;
    SayMessage(texts::HealthPrefix() + std::to_string(h.Health) + texts::LoadPrefix() +
                   std::to_string(h.BagFull) + texts::LevelPrefix() + std::to_string(h.Level),
               true);
}

}  // namespace velmora::rules
