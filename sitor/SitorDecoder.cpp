#include "sitor/SitorDecoder.h"

#include "sitor/Ccir476.h"

namespace morvane::sitor {

namespace {
SoftBits WordAt(const std::vector<float>& bits, std::int64_t at, bool inverted) {
    SoftBits w{};
    for (int i = 0; i < kWordBits; ++i) {
        const float v = bits[static_cast<std::size_t>(at + i)];
        w[static_cast<std::size_t>(i)] = inverted ? -v : v;
    }
    return w;
}
}  // namespace

namespace {
// Errors at the ends of a locked run are the steady tone or the noise around
// the emission, not characters: dropped.
void TrimRunEnd(std::vector<ReadCharacter>& chars, std::size_t runStart) {
    while (chars.size() > runStart && chars.back().word < 0) chars.pop_back();
}
}  // namespace

SitorReading ReadSitorB(const std::vector<float>& bits, CopyChoice choice) {
    SitorReading reading;
    const auto size = static_cast<std::int64_t>(bits.size());
    bool gap = true;
    std::size_t runStart = 0;
    for (std::int64_t block = 0; block < size; block += kBlockBits) {
        const std::int64_t margin = (kSyncWindowBits - kBlockBits) / 2;
        const SyncGuess g = FindSync(bits, block - margin, block + kBlockBits + margin);
        ++reading.blocks;
        const bool stronger = g.locked ? (!reading.strongest.locked || g.valid > reading.strongest.valid)
                                       : (!reading.strongest.locked && g.valid > reading.strongest.valid);
        if (stronger) reading.strongest = g;
        if (!g.locked) {
            if (!gap) TrimRunEnd(reading.characters, runStart);
            gap = true;
            continue;
        }
        ++reading.lockedBlocks;
        std::int64_t at = block + ((g.phase - block) % kWordBits + kWordBits) % kWordBits;
        for (; at < block + kBlockBits && at + kWordBits <= size; at += kWordBits) {
            if (((at - g.phase) / kWordBits) % 2 != g.dxParity) continue;
            const std::int64_t rxAt = at + kRepeatSlots * kWordBits;
            std::optional<SoftBits> rx;
            if (rxAt + kWordBits <= size) rx = WordAt(bits, rxAt, g.inverted);
            const ModeBCharacter c = ChooseCopy(WordAt(bits, at, g.inverted), rx, choice);
            if (gap && c.word < 0) continue;  // the run starts at its first good character
            if (gap) runStart = reading.characters.size();
            reading.characters.push_back({c.word, c.fromRx, at, gap});
            gap = false;
        }
    }
    if (!gap) TrimRunEnd(reading.characters, runStart);
    return reading;
}

std::string SitorText(const std::vector<ReadCharacter>& characters, std::vector<std::size_t>* starts) {
    std::string text;
    Ccir476Printer printer;
    for (const ReadCharacter& c : characters) {
        if (c.afterGap) {
            printer.Reset();
            if (!text.empty() && text.compare(text.size() - 1, 1, "\n") != 0) text += "\r\n";
        }
        if (starts) starts->push_back(text.size());
        text += printer.Print(c.word);
    }
    return text;
}

}  // namespace morvane::sitor
