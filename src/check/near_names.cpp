// Names a slip of a letter or two from a word: "did you mean" for keys,
// keywords, objects and screens.
#include <algorithm>

#include "base/cp1251.h"
#include "check/script_checker.h"

namespace velmora::check {
namespace {

// Letters to change, add, drop or swap with the next to turn a into b (code
// page 1251, one byte a letter): "sya" is one slip from "say".
size_t EditDistance(std::string_view a, std::string_view b) {
    const size_t w = b.size() + 1;
    std::vector<size_t> d((a.size() + 1) * w);
    for (size_t i = 0; i <= a.size(); ++i) d[i * w] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t best = std::min({d[(i - 1) * w + j] + 1, d[i * w + j - 1] + 1,
                                    d[(i - 1) * w + j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, d[(i - 2) * w + j - 2] + 1);
            d[i * w + j] = best;
        }
    }
    return d[a.size() * w + b.size()];
}

}  // namespace

std::string NearestName(std::string_view word, const std::vector<std::string>& names) {
    if (word.size() > 64) return {};
    const std::string lower = base::LowerText1251(word);
    // A near name is a slip of a letter or two, never a different short word.
    const size_t most = lower.size() <= 3 ? 1 : lower.size() <= 6 ? 2 : 3;
    std::string best;
    size_t bestDistance = most + 1;
    for (const std::string& name : names) {
        if (name.size() > lower.size() + most || lower.size() > name.size() + most) continue;
        const size_t d = EditDistance(lower, base::LowerText1251(name));
        if (d > 0 && d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    return best;
}

std::string DidYouMean(std::string_view word, const std::vector<std::string>& names) {
    const std::string near = NearestName(word, names);
    return near.empty() ? std::string() : " (может быть, " + Quoted(near) + "?)";
}

}  // namespace velmora::check
