// The live text on any level stream: the same pieces whether the stream comes
// in one piece or call by call in any split, the same again when a finished
// reader reads it once more, a fresh reading after the stream shrinks, and
// transmissions whose figures are in range (finite rates, a first frame
// inside the stream, 1, 1.5 or 2 stop bits).
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzStream.h"
#include "livetext/LiveTextReader.h"

namespace {

using namespace morvane;

// Text pieces joined: where a block ends decides how text is cut, not what it says.
std::vector<LiveTextPiece> Joined(const std::vector<LiveTextPiece>& pieces) {
    std::vector<LiveTextPiece> joined;
    for (const LiveTextPiece& p : pieces) {
        if (p.kind == LiveTextPiece::Kind::Text && !joined.empty() && joined.back().kind == LiveTextPiece::Kind::Text)
            joined.back().text += p.text;
        else
            joined.push_back(p);
    }
    return joined;
}

bool Same(const std::vector<LiveTextPiece>& a, const std::vector<LiveTextPiece>& b) {
    const std::vector<LiveTextPiece> x = Joined(a), y = Joined(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const TransmissionInfo &p = x[i].transmission, &q = y[i].transmission;
        if (x[i].kind != y[i].kind || x[i].text != y[i].text || p.firstSample != q.firstSample || p.baud != q.baud ||
            p.nominalBaud != q.nominalBaud || p.stopBits != q.stopBits || p.code.code != q.code.code ||
            p.code.parity != q.code.parity)
            return false;
    }
    return true;
}

void CheckTransmissions(const std::vector<LiveTextPiece>& pieces, std::int64_t samples) {
    for (const LiveTextPiece& p : pieces) {
        if (p.kind != LiveTextPiece::Kind::Transmission) continue;
        const TransmissionInfo& t = p.transmission;
        if (!std::isfinite(t.baud) || !(t.baud > 0.0) || !std::isfinite(t.nominalBaud) || t.nominalBaud < 0.0)
            fuzz::Mismatch();
        if (t.stopBits != 1.0 && t.stopBits != 1.5 && t.stopBits != 2.0) fuzz::Mismatch();
        if (t.firstSample < 0 || t.firstSample > samples) fuzz::Mismatch();
    }
}

std::vector<LiveTextPiece> Read(LiveTextReader& reader, const fuzz::FuzzStream& s) {
    std::vector<LiveTextPiece> pieces;
    reader.Extend(s.levels, s.timeline, &s.soft, pieces);
    reader.Finish(s.levels, s.timeline, &s.soft, pieces);
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const auto flags = in.Take<std::uint8_t>();
    const auto split = in.Take<std::uint32_t>();
    LiveTextOptions options{1500.0F, 2000.0F, std::nullopt, (flags & 1) != 0};
    if ((flags & 2) != 0) {
        const auto code = static_cast<TextCode>((flags >> 2) % 4);
        options.code = CodeSettings{code, IsAscii(code) ? static_cast<Parity>((flags >> 4) % 3) : Parity::None};
    }
    const fuzz::FuzzStream s = fuzz::TakeStream(in);
    const std::int64_t samples = s.timeline.SampleOf(static_cast<std::int64_t>(s.levels.size()));

    LiveTextReader whole(options);
    const std::vector<LiveTextPiece> once = Read(whole, s);
    CheckTransmissions(once, samples);
    if (!Same(Read(whole, s), once)) fuzz::Mismatch();  // a finished reader starts over

    // Call by call, handing on the stream after the calls `split` marks.
    LiveTextReader blocks(options);
    std::vector<LiveTextPiece> pieces;
    for (std::size_t c = 1; c < s.callEnds.size(); ++c)
        if ((split >> (c % 32)) & 1u) {
            const fuzz::FuzzStream part = s.Prefix(c);
            blocks.Extend(part.levels, part.timeline, &part.soft, pieces);
        }
    blocks.Extend(s.levels, s.timeline, &s.soft, pieces);
    blocks.Finish(s.levels, s.timeline, &s.soft, pieces);
    if (!Same(pieces, once)) fuzz::Mismatch();

    // A stream shorter than the last one read is read afresh.
    if (s.callEnds.size() >= 2) {
        const fuzz::FuzzStream half = s.Prefix(s.callEnds.size() / 2);
        LiveTextReader shrunk(options);
        std::vector<LiveTextPiece> before;
        shrunk.Extend(s.levels, s.timeline, &s.soft, before);
        LiveTextReader fresh(options);
        if (!Same(Read(shrunk, half), Read(fresh, half))) fuzz::Mismatch();
    }
    return 0;
}
