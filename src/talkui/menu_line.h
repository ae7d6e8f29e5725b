// TMenuLine: the talking menu on which every menu of the game is built. It
// shows a block's entries as list rows, speaks each entry with its details,
// enters submenus, performs entries by their type and goes back up.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "talkui/list_line.h"
#include "talkui/menu_block.h"

namespace velmora::talkui {

class TMenuLine : public TListLine {
public:
    TMenuLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
              std::shared_ptr<ui::ListBox>* listSlot, std::shared_ptr<TSpLinePropBag>* settingsSlot);

    void KeyDown(int& key, ui::ShiftState shift) override;
    void KeyPress(char& ch) override;
    void KeyUp(int& key, ui::ShiftState shift) override;
    void Enter(char ch) override;
    void Help() override;
    std::optional<ui::ItemPaint> DrawItem(int row, ui::Rect box, bool selected) override;
    void Back() override;
    void Describe(std::string& text) override;
    void RunHandler() override;

    // Shows the block at the top of the menu; says nothing.
    void OpenBlock(TMenuBlock& block);
    // Makes the block's entries the rows, keeping the cursor row if it exists there.
    void LoadBlock(TMenuBlock& block);
    // Performs the entry under the cursor. ch is the key character that chose
    // it (13 Enter, 32 Space) or 0 (a bookmark or the shell chose it): with 0
    // an entered submenu announces its caption first.
    void Choose(char ch);

    // The entry of a row of the current block, or null.
    TMenuEntry* RowEntry(int row) const;

    TMenuBlock* CurrentBlock = nullptr;
    TMenuBlock* HandlerData = nullptr;
    MenuHandler Handler;
    bool ChoiceMode = false;  // the rows are an etChoice entry's choices
    std::optional<StringList> SavedCaptions;
    TMenuEntry ChoiceEntry;
    int Depth = 1;
    std::array<uint8_t, 9> Path{};  // cursor row at each level, level 1 first

private:
    // Enter with no row heard under the cursor: the row, or the rows there are.
    void SayWhatIsHere();
    void EnterSubmenu(TMenuEntry& entry, char ch);
    void RunCommand(int32_t code);
    void ToggleSwitch(TMenuEntry& entry);
    void EditValue(TMenuEntry& entry);
    void ListChoices(TMenuEntry& entry);
    void ChooseValue();
    // Runs the handler for Back or Escape; true when it said stop.
    bool HandlerStops(HandlerArg::Kind kind);
    void RecordPath();
    // Keeps the built blocks of the current path alive while the menu stands in them.
    void HoldPath();

    std::vector<std::shared_ptr<TMenuBlock>> held_;
};

}  // namespace velmora::talkui
