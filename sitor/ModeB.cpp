#include "sitor/ModeB.h"

#include "sitor/Ccir476.h"

namespace morvane::sitor {

std::vector<std::uint8_t> InterleaveModeB(const std::vector<std::uint8_t>& words, int phasingPairs) {
    // Every character of the emission: phasing, the words, the end.
    struct Pair {
        std::uint8_t dx, rx;
    };
    std::vector<Pair> chars;
    for (int i = 0; i < phasingPairs; ++i) chars.push_back({kWordRepeat, kWordAlpha});
    for (std::uint8_t w : words) chars.push_back({w, w});
    for (int i = 0; i < 3; ++i) chars.push_back({kWordAlpha, kWordAlpha});
    // Character i: DX in slot 2i, RX in slot 2i + 5.
    const std::size_t slots = 2 * chars.size() + kRepeatSlots - 1;
    std::vector<std::uint8_t> out(slots, kWordAlpha);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        out[2 * i] = chars[i].dx;
        out[2 * i + kRepeatSlots] = chars[i].rx;
    }
    return out;
}

ModeBCharacter ChooseCopy(const SoftBits& dx, const std::optional<SoftBits>& rx, CopyChoice choice) {
    const WordDecision a = DecideWord(dx);
    if (choice == CopyChoice::DxOnly || !rx) return {a.valid ? a.word : -1, false};
    const WordDecision b = DecideWord(*rx);
    const auto service = [](int w) { return w == kWordAlpha || w == kWordRepeat || w == kWordBeta; };
    if (choice == CopyChoice::Valid) {
        // Copies that differ where one is a service signal are phasing (RQ
        // in the DX position, α in the RX position): no character.
        if (a.valid && b.valid && a.word != b.word && (service(a.word) || service(b.word))) return {kWordAlpha, false};
        if (a.valid && b.valid) return {a.word == b.word ? a.word : -1, false};
        if (a.valid) return {a.word, false};
        if (b.valid) return {b.word, true};
        return {-1, false};
    }
    // A copy whose hard word is more than one bit from any word (the steady
    // tone, a burst of noise) decides nothing.
    const auto near = [](const WordDecision& d) {
        const int marks = __builtin_popcount(static_cast<unsigned>(d.word));
        return marks >= 3 && marks <= 5;
    };
    const bool aNear = near(a), bNear = near(b);
    // Both copies agree on the nearest valid word: taken whatever the margins.
    if (aNear && bNear && a.best == b.best && (a.margin > 0.0f || b.margin > 0.0f)) return {a.best, false};
    // Phasing, as above.
    if (aNear && bNear && (service(a.best) || service(b.best))) return {kWordAlpha, false};
    // Copies on different words: their soft bits summed weigh each by its
    // strength (a faded copy's bits are small), which beats taking one.
    // Not where a copy reads as phasing: the sum of RQ and α is no character.
    if (!(aNear && service(a.best)) && !(bNear && service(b.best))) {
        SoftBits sum{};
        for (std::size_t i = 0; i < sum.size(); ++i) sum[i] = dx[i] + (*rx)[i];
        const WordDecision both = DecideWord(sum);
        if (near(both) && both.margin >= kDecidedMargin) return {both.best, both.best != a.best && both.best == b.best};
    }
    const bool useRx = bNear && (!aNear || b.margin > a.margin);
    const WordDecision& c = useRx ? b : a;
    if (!near(c) || c.margin < kDecidedMargin) return {-1, useRx};
    return {c.best, useRx};
}

}  // namespace morvane::sitor
