// The list box: rows with their objects, selection, top row, per-row heights
// and owner drawing. Drawing itself is the front end's: it asks PaintItem what
// a row looks like.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace velmora::ui {

enum class ListStyle { Standard, OwnerDrawFixed, OwnerDrawVariable };

struct ListItem {
    std::string Text;  // code page 1251
    int32_t Object = -1;
    int Height = 0;  // 0: ItemHeight
};

// One piece of text of a painted row.
struct TextRun {
    std::string Text;
    Rect Box;  // written at its left and top edge, clipped to it
    Colour Color = kBlack;
    int FontSize = 0;
};

// What one row looks like: the box filled with the background, then the runs.
struct ItemPaint {
    Rect Box;
    Colour Background = kBlack;
    std::vector<TextRun> Runs;
};

class ListBox : public Control {
public:
    explicit ListBox(std::string name);

    int Count() const { return static_cast<int>(items_.size()); }
    const ListItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
    void Add(std::string text, int32_t object = -1);
    void Clear();

    // -1 for none; an index out of range gives -1. The row is scrolled into view.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);

    ListStyle Style = ListStyle::Standard;
    int ItemHeight = 16;
    int ItemHeightAt(int index) const;
    void SetItemHeightAt(int index, int height);
    // The rows that fit from the top row, and where each one lies.
    std::vector<std::pair<int, Rect>> VisibleRows() const;

    // A repaint was asked for; the front end repaints and clears it.
    void Invalidate() { ++paintRequests_; }
    int PaintRequests() const { return paintRequests_; }
    void ClearPaintRequests() { paintRequests_ = 0; }

    // Owner drawing: nothing to paint when the hook says so (the rows are
    // being rebuilt). Without owner drawing the row is plain text.
    std::function<std::optional<ItemPaint>(int index, Rect box, bool selected)> OnDrawItem;
    std::optional<ItemPaint> PaintItem(int index, Rect box) const;

    // Mouse: a click selects the row first, then OnClick runs.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    void Click(int index);
    void DoubleClick(int index);

    bool Focusable() const override { return true; }
    void ClearEvents() override;

protected:
    // The arrows, Page Up, Page Down, Home and End move the selection.
    void DefaultKeyDown(int& key, ShiftState shift) override;

private:
    void ScrollIntoView(int index);

    std::vector<ListItem> items_;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int paintRequests_ = 0;
};

}  // namespace velmora::ui
