#include "livetext/SitorPieces.h"

#include "sitor/NavtexMessages.h"

namespace morvane {

namespace {
LiveTextPiece Heading(std::int64_t sample, const sitor::SitorStream& stream, std::string heading) {
    LiveTextPiece piece;
    piece.kind = LiveTextPiece::Kind::Transmission;
    piece.transmission.firstSample = sample;
    piece.transmission.baud = 100.0;
    piece.transmission.nominalBaud = 100.0;
    piece.transmission.tone1Hz = static_cast<float>(stream.LowHz());
    piece.transmission.tone2Hz = static_cast<float>(stream.HighHz());
    piece.transmission.heading = std::move(heading);
    return piece;
}
}  // namespace

void AppendSitorPieces(const std::vector<sitor::SitorTextPiece>& pieces, const sitor::SitorStream& stream,
                       std::int64_t firstSample, std::vector<LiveTextPiece>& out) {
    for (const sitor::SitorTextPiece& p : pieces) {
        switch (p.kind) {
            case sitor::SitorTextPiece::Kind::Emission:
                out.push_back(Heading(firstSample + p.sample, stream,
                                      sitor::SitorRunHeading(stream.LowHz(), stream.HighHz(), stream.Reader().Strongest())));
                break;
            case sitor::SitorTextPiece::Kind::MessageStart:
                out.push_back(Heading(firstSample + p.sample, stream, sitor::NavtexHeading(p.message)));
                break;
            case sitor::SitorTextPiece::Kind::Text: {
                LiveTextPiece text;
                text.text.reserve(p.text.size());
                for (std::size_t i = 0; i < p.text.size(); ++i)
                    if (!(p.text[i] == '\r' && i + 1 < p.text.size() && p.text[i + 1] == '\n')) text.text += p.text[i];
                if (text.text.empty()) break;
                if (!out.empty() && out.back().kind == LiveTextPiece::Kind::Text)
                    out.back().text += text.text;
                else
                    out.push_back(std::move(text));
                break;
            }
            case sitor::SitorTextPiece::Kind::MessageEnd:
                break;
        }
    }
}

}  // namespace morvane
