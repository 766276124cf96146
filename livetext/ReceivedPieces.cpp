#include "livetext/ReceivedPieces.h"

#include "receiver/RateEstimate.h"

namespace morvane {

void AppendReceived(const std::vector<ReceiverPiece>& pieces, std::int64_t firstSample,
                    std::vector<LiveTextPiece>& out) {
    for (const ReceiverPiece& piece : pieces) {
        if (piece.opens) {
            const ReceivedTransmission& t = piece.transmission;
            LiveTextPiece header;
            header.kind = LiveTextPiece::Kind::Transmission;
            header.transmission.firstSample = firstSample + t.firstSample;
            header.transmission.baud = t.baud;
            header.transmission.nominalBaud = UsualBaud(t.baud);
            header.transmission.stopBits = t.stopBits;
            header.transmission.tone1Hz = static_cast<float>(t.tone1Hz);
            header.transmission.tone2Hz = static_cast<float>(t.tone2Hz);
            header.transmission.code = t.code;
            header.transmission.quality = t.quality;
            out.push_back(std::move(header));
        }
        if (piece.text.empty()) continue;
        // Characters in a row stay one piece.
        if (!out.empty() && out.back().kind == LiveTextPiece::Kind::Text)
            out.back().text += piece.text;
        else
            out.push_back({LiveTextPiece::Kind::Text, {}, piece.text});
    }
}

}  // namespace morvane
