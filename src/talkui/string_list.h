// A list of code page 1251 texts, each with an object number attached; kept
// in entry order or sorted alphabetically.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::talkui {

// Alphabetical order without regard to letter case, ё beside е; texts equal
// that way are ordered by their bytes. Negative, zero or positive.
int CompareText1251(std::string_view a, std::string_view b);

class StringList {
public:
    struct Item {
        std::string Text;
        int32_t Object = -1;
    };

    explicit StringList(bool sorted = false) : sorted_(sorted) {}

    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts the texts now.
    void SetSorted(bool sorted);

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const Item& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
    Item& At(int index) { return items_.at(static_cast<size_t>(index)); }
    const std::vector<Item>& Items() const { return items_; }

    void Clear() { items_.clear(); }
    // Unsorted: appended. Sorted: put in its place, and a text already there
    // (byte for byte) is not added again. The index it has, or -1 if ignored.
    int Add(std::string text, int32_t object = -1);
    void Delete(int index);

    // The first text equal without regard to letter case; -1 if none.
    int IndexOf(std::string_view text) const;
    // The first text equal byte for byte; -1 if none.
    int IndexOfExact(std::string_view text) const;

private:
    bool sorted_;
    std::vector<Item> items_;
};

}  // namespace velmora::talkui
