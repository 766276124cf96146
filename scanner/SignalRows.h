#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "receiver/ReceiverTypes.h"
#include "scanner/SignalScanner.h"

namespace morvane {

/// One signal as decode --all prints it and the "Signals" list shows it.
struct SignalRow {
    int block = 0;                 // the signal's number (the first signal found at these tones)
    ReceivedTransmission first;    // its first transmission's header
    ReceivedTransmission latest;   // its newest transmission's header
    std::string text;              // its text (UTF-8, CR LF); a transmission after the first on a new line
    int transmissions = 0;
    bool followed = false;         // the scanner follows it now
    double levelDb = 0.0;          // its weaker tone over the band's median at the last search that found it
};

/// A piece of text as it goes into its signal's row: `opens` with the
/// transmission's header; `text` may be empty.
struct RowPiece {
    int block = 0;
    bool opens = false;
    ReceivedTransmission transmission;  // valid when opens
    std::string text;
};

/// The scanner's pieces gathered signal by signal. Text comes only after a
/// signal's receiver opened a transmission; a signal found again within
/// 30 Hz of both tones of one opened before goes on in that one's row, on a
/// new line. With `keepBytes` (> 0) a row keeps only its newest text, about
/// that many bytes, cut at a line start where one lies near (or at a
/// character's first byte); 0 keeps it all.
class SignalRows {
public:
    explicit SignalRows(std::size_t keepBytes = 0) : m_keep(keepBytes) {}

    /// Adds the pieces; returns them as they went into their rows.
    std::vector<RowPiece> Add(std::vector<ScannedPiece> pieces);
    /// The signals the scanner follows now: their rows are marked followed
    /// and take their level; every other row is not followed.
    void SetFollowed(const std::vector<ScannedSignal>& followed);
    /// Rows of signals that opened a transmission, in the order of their first lower tone.
    std::vector<const SignalRow*> InToneOrder() const;
    /// The row of a block; null when it has none (yet).
    const SignalRow* Row(int block) const;
    bool Empty() const { return InToneOrder().empty(); }
    /// The block a scanner signal's text goes to (its own number until it has text).
    int BlockOfSignal(int signal) const;
    /// Forgets every row (a new stream).
    void Clear();

    static constexpr double kSameSignalHz = 30.0;

private:
    int BlockOf(const ScannedPiece& piece);
    void Trim(SignalRow& row) const;

    std::size_t m_keep;
    std::map<int, SignalRow> m_rows;  // by block; rows without a transmission yet hold nothing
    std::map<int, int> m_blocks;      // scanner signal → block
};

}  // namespace morvane
