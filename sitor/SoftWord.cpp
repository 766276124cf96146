#include "sitor/SoftWord.h"

#include <algorithm>
#include <numeric>

#include "sitor/Ccir476.h"

namespace morvane::sitor {

WordDecision DecideWord(const SoftBits& bits) {
    WordDecision d;
    d.word = 0;
    for (int i = 0; i < 7; ++i)
        if (bits[static_cast<std::size_t>(i)] > 0.0f) d.word |= 1 << i;
    d.valid = IsConstantRatio(static_cast<unsigned>(d.word));
    std::array<int, 7> order{};
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&bits](int a, int b) {
        return bits[static_cast<std::size_t>(a)] > bits[static_cast<std::size_t>(b)];
    });
    d.best = 0;
    for (int i = 0; i < 4; ++i) d.best |= 1 << order[static_cast<std::size_t>(i)];
    // The nearest other valid word differs in one B and one Y: the weakest B
    // (4th strongest) and the strongest Y (5th).
    d.margin = 2.0f * (bits[static_cast<std::size_t>(order[3])] - bits[static_cast<std::size_t>(order[4])]);
    return d;
}

}  // namespace morvane::sitor
