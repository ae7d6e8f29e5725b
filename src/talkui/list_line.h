// TListLine: a line with the shared list box below it. It moves a cursor
// through the rows and speaks the row under it, narrows the rows by the first
// letters typed (retrying the last one in the other keyboard layout), and
// decides how its rows are drawn.
#pragma once

#include <optional>
#include <string>

#include "talkui/sp_line.h"
#include "talkui/string_list.h"
#include "ui/list_box.h"

namespace velmora::talkui {

class TListLine : public TSpLine {
public:
    TListLine(Toolkit& kit, ui::Panel& owner, std::shared_ptr<ui::Edit>* editSlot,
              std::shared_ptr<ui::ListBox>* listSlot, std::shared_ptr<TSpLinePropBag>* settingsSlot);
    ~TListLine() override;

    void Show(bool speak) override;
    void Hide(bool hideControls) override;
    void HookEvents() override;
    void KeyDown(int& key, ui::ShiftState shift) override;
    void KeyPress(char& ch) override;
    void KeyUp(int& key, ui::ShiftState shift) override;
    void Reset() override;
    void Layout() override;
    void Accept() override;
    void Enter(char ch) override;
    void ContextMenu() override;

    // Moves the list selection to Current, shows the row in the edit and,
    // with speak, says it with its details.
    virtual void SelectCurrent(bool speak);
    // How a row looks; nothing while NoRepaint is set.
    virtual std::optional<ui::ItemPaint> DrawItem(int row, ui::Rect box, bool selected);
    virtual void EmptySearchCue();
    virtual void Back();
    // Appends the details spoken after a row's text.
    virtual void Describe(std::string& text);
    virtual void RunHandler();

    // The incremental search over Captions with Search; the cursor goes to the
    // requested row when it is a row.
    void Filter(int requested, char typed);
    // All captions as rows, nothing typed, no cursor.
    void ResetFilter();
    // All captions shown again with the cursor on the requested row (none
    // when it is not a row), or with toHeard on the row last heard; silently.
    void ShowAllRows(int requested, bool toHeard = false);
    // Taller cursor row among the rows that fit in the list.
    void ApplyRowHeights();
    // Mouse: a click speaks its row after the double-click time, unless a
    // double click came meanwhile, which chooses the row.
    void Click(int row);
    void DoubleClick(int row);

    bool ValidRow(int row) const { return row >= 0 && row < List->Count(); }
    // Whether the row is the one last spoken (by its text: a search that
    // narrows or widens the rows keeps it). Enter acts on no row unheard.
    bool RowHeard(int row) const { return heard_ && ValidRow(row) && RowText(row) == *heard_; }
    // No row has been heard yet (new rows).
    void ForgetHeard() { heard_.reset(); }
    // Empties what was typed and says so; the cursor stays on the row heard.
    void ClearSearchAloud();
    // The object of a row, -1 for none.
    int32_t RowObject(int row) const { return ValidRow(row) ? List->Item(row).Object : -1; }
    const std::string& RowText(int row) const { return List->Item(row).Text; }

    std::shared_ptr<ui::ListBox> List;
    int32_t Current = -1;  // row under the cursor
    int32_t Chosen = -1;   // caption of the last Enter
    int32_t Found = -1;    // caption of the last search hit
    StringList Captions{true};
    std::string Prefix;  // shown in the edit before the row
    std::string Search;  // typed so far
    bool ListShown = false;
    int RowHeight = 0;
    int CursorRowHeight = 0;
    bool SelectGuard = false;
    bool ClickPending = false;
    bool NoRepaint = false;

protected:
    // Draws the row with the text colour already chosen, or the row's own.
    std::optional<ui::ItemPaint> PaintRow(int row, ui::Rect box, bool selected,
                                          std::optional<ui::Colour> textColour);
    void FillRows();
    void MoveSelection();
    void Repaint();
    std::shared_ptr<ui::ListBox> SharedList() const override { return List; }

private:
    void ListKeyDown(int& key, ui::ShiftState shift);
    void MoveBy(int rows);
    // The row of the text last heard, or -1.
    int HeardRow() const;

    std::optional<std::string> heard_;
};

}  // namespace velmora::talkui
