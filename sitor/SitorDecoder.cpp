#include "sitor/SitorDecoder.h"

#include <algorithm>

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

void TrimRunEnd(std::vector<ReadCharacter>& chars, std::size_t runStart) {
    while (chars.size() > runStart && chars.back().word < 0) chars.pop_back();
}

std::vector<ReadCharacter> BlockCharacters(const std::vector<float>& bits, std::int64_t base, std::int64_t from,
                                           std::int64_t to, const SyncGuess& g, CopyChoice choice,
                                           std::vector<bool>* confirmed) {
    std::vector<ReadCharacter> out;
    const auto size = base + static_cast<std::int64_t>(bits.size());
    std::int64_t at = from + ((g.phase - from) % kWordBits + kWordBits) % kWordBits;
    for (; at < to && at + kWordBits <= size; at += kWordBits) {
        if (((at - g.phase) / kWordBits) % 2 != g.dxParity) continue;
        const std::int64_t rxAt = at + kRepeatSlots * kWordBits;
        std::optional<SoftBits> rx;
        if (rxAt + kWordBits <= size) rx = WordAt(bits, rxAt - base, g.inverted);
        const SoftBits dx = WordAt(bits, at - base, g.inverted);
        const ModeBCharacter c = ChooseCopy(dx, rx, choice);
        out.push_back({c.word, c.fromRx, at, false});
        if (!confirmed) continue;
        const WordDecision a = DecideWord(dx);
        const WordDecision b = rx ? DecideWord(*rx) : WordDecision{};
        confirmed->push_back(a.valid && b.valid &&
                             (a.word == b.word || (a.word == kWordRepeat && b.word == kWordAlpha)));
    }
    return out;
}

std::vector<ReadCharacter> Extension(std::vector<ReadCharacter> chars, const std::vector<bool>& confirmed, bool forward) {
    if (!forward) {
        std::reverse(chars.begin(), chars.end());
        std::vector<bool> c(confirmed.rbegin(), confirmed.rend());
        std::vector<ReadCharacter> out = Extension(std::move(chars), c, true);
        std::reverse(out.begin(), out.end());
        return out;
    }
    std::size_t end = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (confirmed[i]) end = i + 1;
        else if (i + 1 < chars.size() && !confirmed[i + 1]) break;
    }
    chars.resize(end);
    return chars;
}

SitorReading ReadSitorB(const std::vector<float>& bits, CopyChoice choice) {
    SitorReading reading;
    const auto size = static_cast<std::int64_t>(bits.size());
    std::vector<SyncGuess> guesses;
    for (std::int64_t block = 0; block < size; block += kBlockBits) {
        const std::int64_t margin = (kSyncWindowBits - kBlockBits) / 2;
        const SyncGuess g = FindSync(bits, block - margin, block + kBlockBits + margin);
        ++reading.blocks;
        reading.lockedBlocks += g.locked;
        const bool stronger = g.locked ? (!reading.strongest.locked || g.valid > reading.strongest.valid)
                                       : (!reading.strongest.locked && g.valid > reading.strongest.valid);
        if (stronger) reading.strongest = g;
        guesses.push_back(g);
    }
    bool gap = true;
    std::size_t runStart = 0;
    for (std::size_t b = 0; b < guesses.size(); ++b) {
        const auto from = static_cast<std::int64_t>(b) * kBlockBits, to = from + kBlockBits;
        std::vector<ReadCharacter> piece;
        if (guesses[b].locked) {
            piece = BlockCharacters(bits, 0, from, to, guesses[b], choice, nullptr);
        } else {
            const bool after = b > 0 && guesses[b - 1].locked;
            const bool before = b + 1 < guesses.size() && guesses[b + 1].locked;
            if (after || before) {
                std::vector<bool> confirmed;
                piece = BlockCharacters(bits, 0, from, to, guesses[after ? b - 1 : b + 1], choice, &confirmed);
                piece = Extension(std::move(piece), confirmed, after);
            }
            if (!after && !gap) TrimRunEnd(reading.characters, runStart);
            if (!after) gap = true;
        }
        for (ReadCharacter& c : piece) {
            if (gap && c.word < 0) continue;  // a run starts at its first good character
            if (gap) runStart = reading.characters.size();
            c.afterGap = gap;
            reading.characters.push_back(c);
            gap = false;
        }
        if (!guesses[b].locked && !piece.empty() && b + 1 < guesses.size() && !guesses[b + 1].locked) {
            TrimRunEnd(reading.characters, runStart);
            gap = true;
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
