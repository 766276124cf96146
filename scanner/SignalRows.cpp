#include "scanner/SignalRows.h"

#include <algorithm>
#include <cmath>

namespace morvane {

namespace {
bool EndsLine(const std::string& text) { return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0; }
}  // namespace

int SignalRows::BlockOf(const ScannedPiece& p) {
    if (const auto it = m_blocks.find(p.signal); it != m_blocks.end()) return it->second;
    if (p.piece.opens)
        for (const auto& [block, row] : m_rows)
            if (row.transmissions > 0 && std::fabs(row.first.tone1Hz - p.piece.transmission.tone1Hz) <= kSameSignalHz &&
                std::fabs(row.first.tone2Hz - p.piece.transmission.tone2Hz) <= kSameSignalHz)
                return m_blocks[p.signal] = block;
    return m_blocks[p.signal] = p.signal;
}

std::vector<RowPiece> SignalRows::Add(std::vector<ScannedPiece> pieces) {
    std::vector<RowPiece> out;
    for (ScannedPiece& p : pieces) {
        const int block = BlockOf(p);
        SignalRow& row = m_rows[block];
        row.block = block;
        if (p.piece.opens) {
            if (row.transmissions == 0)
                row.first = p.piece.transmission;
            else if (!row.text.empty() && !EndsLine(row.text))
                row.text += "\r\n";
            row.latest = p.piece.transmission;
            ++row.transmissions;
        }
        if (row.transmissions == 0) continue;  // text comes only after a transmission opened
        row.text += p.piece.text;
        Trim(row);
        out.push_back({block, p.piece.opens, p.piece.transmission, std::move(p.piece.text)});
    }
    return out;
}

void SignalRows::Trim(SignalRow& row) const {
    if (m_keep == 0 || row.text.size() <= m_keep) return;
    std::size_t cut = row.text.size() - m_keep;
    // A line start within the next quarter keeps whole lines; otherwise a character's first byte.
    const std::size_t line = row.text.find("\r\n", cut);
    if (line != std::string::npos && line + 2 - cut <= m_keep / 4)
        cut = line + 2;
    else
        while (cut < row.text.size() && (static_cast<unsigned char>(row.text[cut]) & 0xC0) == 0x80) ++cut;
    row.text.erase(0, cut);
}

void SignalRows::SetFollowed(const std::vector<ScannedSignal>& followed) {
    for (auto& [block, row] : m_rows) row.followed = false;
    for (const ScannedSignal& s : followed) {
        const auto it = m_blocks.find(s.id);
        if (it == m_blocks.end()) continue;
        SignalRow& row = m_rows[it->second];
        row.followed = true;
        row.levelDb = s.levelDb;
    }
}

std::vector<const SignalRow*> SignalRows::InToneOrder() const {
    std::vector<const SignalRow*> order;
    for (const auto& [block, row] : m_rows)
        if (row.transmissions > 0) order.push_back(&row);
    std::stable_sort(order.begin(), order.end(),
                     [](const SignalRow* a, const SignalRow* b) { return a->first.tone1Hz < b->first.tone1Hz; });
    return order;
}

const SignalRow* SignalRows::Row(int block) const {
    const auto it = m_rows.find(block);
    return it == m_rows.end() || it->second.transmissions == 0 ? nullptr : &it->second;
}

int SignalRows::BlockOfSignal(int signal) const {
    const auto it = m_blocks.find(signal);
    return it == m_blocks.end() ? signal : it->second;
}

void SignalRows::Clear() {
    m_rows.clear();
    m_blocks.clear();
}

}  // namespace morvane
