#include "ui/list_box.h"

#include <algorithm>

namespace velmora::ui {

ListBox::ListBox(std::string name) : Control(std::move(name)) {}

void ListBox::Add(std::string text, int32_t object) {
    items_.push_back({std::move(text), object, 0});
}

void ListBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    topIndex_ = 0;
}

void ListBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    if (itemIndex_ >= 0) ScrollIntoView(itemIndex_);
}

void ListBox::SetTopIndex(int index) { topIndex_ = std::clamp(index, 0, std::max(Count() - 1, 0)); }

int ListBox::ItemHeightAt(int index) const {
    if (index < 0 || index >= Count()) return ItemHeight;
    if (Style != ListStyle::OwnerDrawVariable) return ItemHeight;
    const int h = items_[static_cast<size_t>(index)].Height;
    return h > 0 ? h : ItemHeight;
}

void ListBox::SetItemHeightAt(int index, int height) {
    if (index < 0 || index >= Count()) return;
    items_[static_cast<size_t>(index)].Height = std::max(height, 0);
}

void ListBox::ScrollIntoView(int index) {
    if (index < topIndex_) {
        topIndex_ = index;
        return;
    }
    // Lower the top row until the rows from it down to index fit.
    auto fits = [&] {
        int used = 0;
        for (int i = topIndex_; i <= index; ++i) used += std::max(ItemHeightAt(i), 1);
        return used <= Height();
    };
    while (topIndex_ < index && !fits()) ++topIndex_;
}

std::vector<std::pair<int, Rect>> ListBox::VisibleRows() const {
    std::vector<std::pair<int, Rect>> rows;
    int y = 0;
    for (int i = topIndex_; i < Count() && y < Height(); ++i) {
        const int h = std::max(ItemHeightAt(i), 1);
        rows.push_back({i, Rect{0, y, Width(), y + h}});
        y += h;
    }
    return rows;
}

std::optional<ItemPaint> ListBox::PaintItem(int index, Rect box) const {
    if (index < 0 || index >= Count()) return std::nullopt;
    const bool selected = index == itemIndex_;
    if (Style != ListStyle::Standard && OnDrawItem) {
        auto hook = OnDrawItem;
        return hook(index, box, selected);
    }
    ItemPaint paint{box, selected ? Font.Color : Color, {}};
    paint.Runs.push_back({Item(index).Text, box, selected ? Color : Font.Color, Font.Size});
    return paint;
}

void ListBox::Click(int index) {
    SetItemIndex(index);
    CallHook(OnClick);
}

void ListBox::DoubleClick(int index) {
    SetItemIndex(index);
    CallHook(OnDblClick);
}

void ListBox::ClearEvents() {
    Control::ClearEvents();
    OnDrawItem = nullptr;
    OnClick = nullptr;
    OnDblClick = nullptr;
}

void ListBox::DefaultKeyDown(int& key, ShiftState shift) {
    if (Count() == 0) {
        Control::DefaultKeyDown(key, shift);
        return;
    }
    const int page = std::max(Height() / std::max(ItemHeight, 1), 1);
    switch (key) {
        case vk::Down:
            SetItemIndex(std::min(itemIndex_ + 1, Count() - 1));
            break;
        case vk::Up:
            SetItemIndex(std::max(itemIndex_ - 1, 0));
            break;
        case vk::Next:
            SetItemIndex(std::min(itemIndex_ + page, Count() - 1));
            break;
        case vk::Prior:
            SetItemIndex(std::max(itemIndex_ - page, 0));
            break;
        case vk::Home:
            SetItemIndex(0);
            break;
        case vk::End:
            SetItemIndex(Count() - 1);
            break;
        default:
            Control::DefaultKeyDown(key, shift);
            break;
    }
}

}  // namespace velmora::ui
