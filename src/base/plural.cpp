#include "base/plural.h"

namespace velmora::base {

const std::string& Plural::For(int64_t n) const {
    const uint64_t a = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    const uint64_t tens = a % 100, units = a % 10;
    if (tens >= 11 && tens <= 14) return many;
    if (units == 1) return one;
    if (units >= 2 && units <= 4) return few;
    return many;
}

std::string CountOf(int64_t n, const Plural& noun) {
    std::string text = std::to_string(n);
    const std::string& word = noun.For(n);
    if (!word.empty()) text += " " + word;
    return text;
}

}  // namespace velmora::base
