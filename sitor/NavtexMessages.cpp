#include "sitor/NavtexMessages.h"

#include <algorithm>
#include <map>

#include "sitor/Ccir476.h"

namespace morvane::sitor {

std::string_view NavtexSubject(char b2) {
    switch (b2) {
        case 'A': return "navigational warning";
        case 'B': return "meteorological warning";
        case 'C': return "ice report";
        case 'D': return "search and rescue information";
        case 'E': return "meteorological forecast";
        case 'F': return "pilot and VTS service message";
        case 'G': return "AIS service message";
        case 'H': return "LORAN message";
        case 'J': return "GNSS message";
        case 'K': return "other electronic navigational aid message";
        case 'L': return "navigational warning, additional";
        case 'V': case 'W': case 'X': case 'Y': return "special service";
        case 'Z': return "no message on hand";
        default: return "unknown subject";
    }
}

namespace {
// The header after "ZCZC": spaces, then four characters.
void ReadHeader(std::string_view text, std::size_t& at, NavtexMessage& m) {
    while (at < text.size() && text[at] == ' ') ++at;
    while (at < text.size() && m.id.size() < 4 && text[at] != '\r' && text[at] != ' ') m.id += text[at++];
    if (m.id.size() >= 1) m.station = m.id[0];
    if (m.id.size() >= 2) m.subject = m.id[1];
    if (m.id.size() >= 4) m.number = m.id.substr(2, 2);
    // The rest of the header line.
    const std::size_t lineEnd = text.find("\r\n", at);
    at = lineEnd == std::string_view::npos ? text.size() : lineEnd + 2;
}
}  // namespace

std::vector<NavtexMessage> FindNavtexMessages(std::string_view text) {
    std::vector<NavtexMessage> out;
    std::size_t at = text.find("ZCZC");
    while (at != std::string_view::npos) {
        NavtexMessage m;
        m.at = at;
        std::size_t body = at + 4;
        ReadHeader(text, body, m);
        const std::size_t end = text.find("NNNN", body);
        const std::size_t next = text.find("ZCZC", body);
        std::size_t stop = std::min(end, next);
        m.complete = end != std::string_view::npos && end <= next;
        if (stop == std::string_view::npos) stop = text.size();
        m.text = std::string(text.substr(body, stop - body));
        while (m.text.size() >= 2 && m.text.compare(m.text.size() - 2, 2, "\r\n") == 0) m.text.resize(m.text.size() - 2);
        m.errors = static_cast<int>(std::count(m.id.begin(), m.id.end(), Ccir476Printer::kErrorSign) +
                                    std::count(m.text.begin(), m.text.end(), Ccir476Printer::kErrorSign));
        at = m.complete ? text.find("ZCZC", end + 4) : next;
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<NavtexMessage> KeepOnce(const std::vector<NavtexMessage>& messages) {
    std::vector<NavtexMessage> kept;
    std::map<std::string, std::size_t> seen;
    for (const NavtexMessage& m : messages) {
        const bool mergeable = m.id.size() == 4 && m.number != "00" &&
                               m.id.find(Ccir476Printer::kErrorSign) == std::string::npos;
        const auto it = mergeable ? seen.find(m.id) : seen.end();
        if (it == seen.end()) {
            if (mergeable) seen[m.id] = kept.size();
            kept.push_back(m);
            continue;
        }
        NavtexMessage& first = kept[it->second];
        const bool better = (m.complete && !first.complete) || (m.complete == first.complete && m.errors < first.errors);
        if (better) {
            const std::size_t place = first.at;
            first = m;
            first.at = place;
        }
    }
    return kept;
}

std::string NavtexHeading(const NavtexMessage& m) {
    std::string line = "NAVTEX " + m.id + " \u00b7 station ";
    line += m.station;
    line += " \u00b7 ";
    line += NavtexSubject(m.subject);
    line += " \u00b7 number " + (m.number.empty() ? std::string("??") : m.number);
    return line;
}

std::string NavtexBlock(const NavtexMessage& m, std::string_view time) {
    std::string block(time);
    block += " \u00b7 station ";
    block += m.station;
    block += " \u00b7 ";
    block += NavtexSubject(m.subject);
    block += " \u00b7 number " + (m.number.empty() ? std::string("??") : m.number);
    block += " \u00b7 " + std::to_string(m.errors) + (m.errors == 1 ? " error" : " errors");
    if (!m.complete) block += " \u00b7 incomplete";
    block += "\r\nZCZC " + m.id + "\r\n" + m.text + "\r\n";
    if (m.complete) block += "NNNN\r\n";
    block += "\r\n";
    return block;
}

}  // namespace morvane::sitor
