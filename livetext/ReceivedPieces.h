#pragma once
#include <cstdint>
#include <vector>

#include "livetext/LiveTextPiece.h"
#include "receiver/ReceiverTypes.h"

namespace morvane {

/// The receiver's pieces as the live text shows them: a piece that opens a
/// transmission gives a Transmission piece (its header: rate, usual rate,
/// tones, code and quality), its characters a Text piece. `firstSample`: the
/// stream position of the first sample the receiver was given, added to the
/// transmissions' first samples so that they count from the stream's first
/// sample as the level reading's do.
void AppendReceived(const std::vector<ReceiverPiece>& pieces, std::int64_t firstSample,
                    std::vector<LiveTextPiece>& out);

}  // namespace morvane
