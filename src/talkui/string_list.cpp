#include "talkui/string_list.h"

#include <algorithm>

#include "base/cp1251.h"

namespace velmora::talkui {
namespace {

// Collation weight of a byte: lower case, and ё just after е.
int Weight(char c) {
    const auto lower = static_cast<unsigned char>(base::ToLower1251(c));
    constexpr unsigned char kYo = 0xB8, kYe = 0xE5;
    if (lower == kYo) return kYe * 2 + 1;
    return lower * 2;
}

bool Less(const StringList::Item& a, const StringList::Item& b) {
    return CompareText1251(a.Text, b.Text) < 0;
}

}  // namespace

int CompareText1251(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = Weight(a[i]) - Weight(b[i]);
        if (d != 0) return d;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

void StringList::SetSorted(bool sorted) {
    if (sorted && !sorted_) std::stable_sort(items_.begin(), items_.end(), Less);
    sorted_ = sorted;
}

int StringList::Add(std::string text, int32_t object) {
    if (!sorted_) {
        items_.push_back({std::move(text), object});
        return Count() - 1;
    }
    Item item{std::move(text), object};
    const auto at = std::lower_bound(items_.begin(), items_.end(), item, Less);
    if (at != items_.end() && at->Text == item.Text) return -1;
    const auto placed = items_.insert(at, std::move(item));
    return static_cast<int>(placed - items_.begin());
}

void StringList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
}

int StringList::IndexOf(std::string_view text) const {
    for (int i = 0; i < Count(); ++i) {
        if (base::EqualsNoCase1251(items_[static_cast<size_t>(i)].Text, text)) return i;
    }
    return -1;
}

int StringList::IndexOfExact(std::string_view text) const {
    for (int i = 0; i < Count(); ++i) {
        if (items_[static_cast<size_t>(i)].Text == text) return i;
    }
    return -1;
}

}  // namespace velmora::talkui
