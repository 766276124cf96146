#include "sitor/SitorTextFollower.h"

#include <algorithm>

namespace morvane::sitor {

namespace {
constexpr std::string_view kStart = "ZCZC";
}  // namespace

std::int64_t SitorTextFollower::SampleAt(std::size_t at) const {
    std::int64_t sample = m_lastSample;
    for (const auto& [offset, s] : m_marks) {
        if (offset > at) break;
        sample = s;
    }
    return sample;
}

void SitorTextFollower::Add(const std::vector<StreamCharacter>& characters, std::vector<SitorTextPiece>& out) {
    for (const StreamCharacter& c : characters) {
        if (c.afterGap) {
            m_printer.Reset();
            if (m_any && !m_atLineStart) m_hold += "\r\n";
            // The line break ends any header held: everything before goes out.
            Scan(false, out);
            Release(m_hold.size(), out);
            SitorTextPiece e;
            e.kind = SitorTextPiece::Kind::Emission;
            e.sample = c.sample;
            out.push_back(std::move(e));
        }
        m_marks.emplace_back(m_hold.size(), c.sample);
        const std::string printed = m_printer.Print(c.word);
        m_hold += printed;
        if (!printed.empty()) {
            m_any = true;
            m_atLineStart = printed.back() == '\n';
        }
    }
    Scan(false, out);
}

void SitorTextFollower::Finish(std::vector<SitorTextPiece>& out) {
    Scan(true, out);
    Release(m_hold.size(), out);
    if (m_inMessage) EndMessage(out);
}

void SitorTextFollower::Scan(bool ended, std::vector<SitorTextPiece>& out) {
    for (;;) {
        const std::size_t at = m_hold.find(kStart);
        if (at == std::string::npos) {
            // Keep back an end that may begin "ZCZC".
            std::size_t keep = std::min<std::size_t>(kStart.size() - 1, m_hold.size());
            while (keep > 0 && m_hold.compare(m_hold.size() - keep, keep, kStart.substr(0, keep)) != 0) --keep;
            if (ended) keep = 0;
            Release(m_hold.size() - keep, out);
            return;
        }
        Release(at, out);
        const std::size_t lineEnd = m_hold.find("\r\n", kStart.size());
        std::size_t header = lineEnd == std::string::npos ? std::string::npos : lineEnd + 2;
        if (header == std::string::npos) {
            if (!ended && m_hold.size() <= kHeaderLine) return;
            header = m_hold.size();
        }
        if (m_inMessage) EndMessage(out);
        SitorTextPiece start;
        start.kind = SitorTextPiece::Kind::MessageStart;
        start.message = FindNavtexMessages(m_hold.substr(0, header)).front();
        start.message.at = 0;
        start.sample = SampleAt(0);
        out.push_back(start);
        m_inMessage = true;
        m_message.clear();
        m_headerSize = header;
        m_messageSample = start.sample;
        Release(header, out);
    }
}

void SitorTextFollower::Release(std::size_t count, std::vector<SitorTextPiece>& out) {
    if (count == 0) return;
    SitorTextPiece piece;
    piece.kind = SitorTextPiece::Kind::Text;
    piece.text = m_hold.substr(0, count);
    // The marks move with the text; the last one handed out stays the sample of what follows.
    std::size_t gone = 0;
    while (gone < m_marks.size() && m_marks[gone].first < count) m_lastSample = m_marks[gone++].second;
    m_marks.erase(m_marks.begin(), m_marks.begin() + static_cast<std::ptrdiff_t>(gone));
    for (auto& mark : m_marks) mark.first -= count;
    m_hold.erase(0, count);
    out.push_back(piece);
    if (!m_inMessage) return;
    const std::size_t from = m_message.size() < 3 ? 0 : m_message.size() - 3;
    m_message += piece.text;
    if (m_message.find("NNNN", std::max(from, m_headerSize)) != std::string::npos ||
        m_message.size() > kLongestMessage)
        EndMessage(out);
}

void SitorTextFollower::EndMessage(std::vector<SitorTextPiece>& out) {
    m_inMessage = false;
    std::vector<NavtexMessage> found = FindNavtexMessages(m_message);
    m_message.clear();
    if (found.empty()) return;
    SitorTextPiece end;
    end.kind = SitorTextPiece::Kind::MessageEnd;
    end.message = std::move(found.front());
    end.sample = m_messageSample;
    const NavtexMessage& m = end.message;
    const bool mergeable = m.id.size() == 4 && m.number != "00" && m.id.find(Ccir476Printer::kErrorSign) == std::string::npos;
    if (mergeable) {
        const auto it = m_ended.find(m.id);
        if (it != m_ended.end()) {
            const auto [complete, errors] = it->second;
            const bool better = (m.complete && !complete) || (m.complete == complete && m.errors < errors);
            end.repeat = !better;
            if (better) it->second = {m.complete, m.errors};
        } else {
            m_ended[m.id] = {m.complete, m.errors};
        }
    }
    out.push_back(std::move(end));
}

}  // namespace morvane::sitor
