#pragma once
#include <cstdint>
#include <vector>

#include "livetext/LiveTextPiece.h"
#include "sitor/SitorStream.h"
#include "sitor/SitorTextFollower.h"

namespace morvane {

/// SITOR-B text as the live text shows it: a run's start gives a
/// Transmission piece headed "100 Bd · LOW/HIGH Hz · SITOR-B · POLARITY", a
/// NAVTEX message's header a Transmission piece headed "NAVTEX B1B2B3B4 ·
/// station X · SUBJECT · number NN", the characters Text pieces with their
/// lines ended by LF. `firstSample`: the stream position of the first
/// sample the stream was given, added to the pieces' samples.
void AppendSitorPieces(const std::vector<sitor::SitorTextPiece>& pieces, const sitor::SitorStream& stream,
                       std::int64_t firstSample, std::vector<LiveTextPiece>& out);

}  // namespace morvane
