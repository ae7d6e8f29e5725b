// A Russian noun in the three forms that a count takes: 1, 21 предмет;
// 2, 3, 4, 22 предмета; 0, 5 to 20, 25 предметов (11 to 14 always the last).
#pragma once

#include <cstdint>
#include <string>

namespace velmora::base {

struct Plural {
    std::string one, few, many;  // code page 1251

    bool Empty() const { return one.empty() && few.empty() && many.empty(); }
    // The form that agrees with n.
    const std::string& For(int64_t n) const;
};

// "3 предмета": the number and the noun that agrees with it; the number alone
// when the noun is empty.
std::string CountOf(int64_t n, const Plural& noun);

}  // namespace velmora::base
