// The menus of a game on the talking menu: the action menu of ten verbs,
// the lists each verb builds (exits, objects, the use and give choices),
// and the game block with its five save slots.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rules/rules.h"
#include "speech/speech_router.h"
#include "talkui/menu_block.h"
#include "talkui/menu_line.h"
#include "talkui/toolkit.h"
#include "world/game_project.h"

namespace velmora::shell {

class ActionMenus {
public:
    // What the game block asks of the window.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void SetSlotModeLoad(bool load) = 0;
        virtual void LoadOrSaveSlotChosen(int32_t n) = 0;
        virtual void NewGame() = 0;
        virtual void LeaveToMainMenu() = 0;
        // What slot n holds, as its entry says it after its name.
        virtual std::string SlotContents(int32_t n) = 0;
        // The settings' block, and their values made current before it opens.
        virtual talkui::TMenuBlock& SettingsBlock() = 0;
        virtual void SettingsOpening() = 0;
    };

    ActionMenus(Host& host, world::GameProject& gp, rules::Rules& rules,
                speech::SpeechRouter& speech, talkui::Toolkit& kit);
    ActionMenus(const ActionMenus&) = delete;
    ActionMenus& operator=(const ActionMenus&) = delete;

    // The game's menu line, made on the first tick.
    void AttachMenu(talkui::TMenuLine& menu) { menu_ = &menu; }
    talkui::TMenuBlock& ActionBlock() { return actionBlock_; }
    // Goes back up to `times` levels with speech muted, never past the action menu.
    void QuietBack(int times);

    // "Можно идти: …." for the hero's screen; empty when there is no exit.
    std::string ExitsPhrase();

private:
    static std::string ExitsPhrase(const std::vector<rules::Exit>& exits, int plain);
    struct ObjectList;
    using ObjectAction = std::function<void(size_t index, world::MObj& object)>;

    void BuildActionMenu();
    void BuildGameBlocks();
    talkui::MenuResult GoHook(talkui::TMenuEntry& entry);
    talkui::MenuResult ObjectListHook(talkui::TMenuEntry& entry,
                                      const std::vector<world::MObj*>& objects,
                                      world::MessageList& whenEmpty, ObjectAction action);
    talkui::MenuResult UseHook(talkui::TMenuEntry& entry);
    talkui::MenuResult GiveHook(talkui::TMenuEntry& entry);
    std::vector<world::MObj*> ObjectsHere() const;
    std::shared_ptr<ObjectList> MakeObjectList(std::vector<world::MObj*> objects);
    // The first position of the chosen entry's caption in the list shown, or -1.
    int ChosenIndex(const std::vector<std::string>& shown) const;
    int ChosenObject(const ObjectList& list) const;

    Host& host_;
    world::GameProject& gp_;
    rules::Rules& rules_;
    speech::SpeechRouter& speech_;
    talkui::Toolkit& kit_;
    talkui::TMenuLine* menu_ = nullptr;

    // The static blocks; the verbs' lists are built into blocks that their
    // entries own.
    talkui::TMenuBlock actionBlock_;
    talkui::TMenuBlock gameBlock_;
    talkui::TMenuBlock slotBlock_;
};

}  // namespace velmora::shell
