#include "sitor/Ccir476.h"

#include <stdexcept>

namespace morvane::sitor {

namespace {
using K = Ccir476Kind;
constexpr std::array<Ccir476Entry, kValidWords> kTable{{
    {0x0F, K::Alpha, "", ""},          {0x17, K::Character, "J", "\a"},
    {0x1B, K::Character, "F", "!"},    {0x1D, K::Character, "C", ":"},
    {0x1E, K::Character, "K", "("},    {0x27, K::Character, "W", "2"},
    {0x2B, K::Character, "Y", "6"},    {0x2D, K::Character, "P", "0"},
    {0x2E, K::Character, "Q", "1"},    {0x33, K::Beta, "", ""},
    {0x35, K::Character, "G", "&"},    {0x36, K::Figures, "", ""},
    {0x39, K::Character, "M", "."},    {0x3A, K::Character, "X", "/"},
    {0x3C, K::Character, "V", "="},    {0x47, K::Character, "A", "-"},
    {0x4B, K::Character, "S", "'"},    {0x4D, K::Character, "I", "8"},
    {0x4E, K::Character, "U", "7"},    {0x53, K::Character, "D", "\x05"},
    {0x55, K::Character, "R", "4"},    {0x56, K::Character, "E", "3"},
    {0x59, K::Character, "N", ","},    {0x5A, K::Letters, "", ""},
    {0x5C, K::Space, " ", " "},        {0x63, K::Character, "Z", "+"},
    {0x65, K::Character, "L", ")"},    {0x66, K::Repeat, "", ""},
    {0x69, K::Character, "H", "\xC2\xA3"}, {0x6A, K::Blank, "", ""},
    {0x6C, K::LineFeed, "", ""},       {0x71, K::Character, "O", "9"},
    {0x72, K::Character, "B", "?"},    {0x74, K::Character, "T", "5"},
    {0x78, K::CarriageReturn, "", ""},
}};

// How a received figure shows: the bell and WRU by name.
std::string FigureText(const char* figure) {
    const std::string_view f(figure);
    if (f == "\a") return "<BEL>";
    if (f == "\x05") return "<WRU>";
    return std::string(f);
}

// The UTF-8 character at `at` and its length in bytes (one for ASCII).
std::string_view NextCharacter(std::string_view text, std::size_t at) {
    std::size_t n = 1;
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0xC0) n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return text.substr(at, n);
}
}  // namespace

const std::array<Ccir476Entry, kValidWords>& Ccir476Table() { return kTable; }

const Ccir476Entry* FindWord(unsigned word) {
    for (const Ccir476Entry& e : kTable)
        if (e.word == word) return &e;
    return nullptr;
}

std::vector<std::uint8_t> EncodeCcir476(std::string_view text) {
    std::vector<std::uint8_t> words;
    bool figures = false;
    for (std::size_t at = 0; at < text.size();) {
        std::string_view ch = NextCharacter(text, at);
        at += ch.size();
        if (ch == "\r" || ch == "\n") {
            if (ch == "\r" && at < text.size() && text[at] == '\n') ++at;
            words.push_back(kWordCr);
            words.push_back(kWordLf);
            continue;
        }
        if (ch == " ") {
            words.push_back(kWordSpace);
            continue;
        }
        std::string upper(ch);
        if (upper.size() == 1 && upper[0] >= 'a' && upper[0] <= 'z') upper[0] = static_cast<char>(upper[0] - 32);
        const Ccir476Entry* found = nullptr;
        bool inFigures = false;
        for (const Ccir476Entry& e : kTable) {
            if (e.kind != Ccir476Kind::Character) continue;
            if (upper == e.letter) found = &e, inFigures = false;
            else if (upper == e.figure) found = &e, inFigures = true;
            if (found) break;
        }
        if (!found) throw std::invalid_argument("'" + std::string(ch) + "' has no CCIR 476 code");
        if (inFigures != figures) words.push_back(inFigures ? kWordFigures : kWordLetters);
        figures = inFigures;
        words.push_back(found->word);
    }
    return words;
}

std::string Ccir476Printer::Print(int word) {
    const bool afterCr = m_afterCr;
    m_afterCr = false;
    if (word < 0) return std::string(1, kErrorSign);
    const Ccir476Entry* e = FindWord(static_cast<unsigned>(word));
    if (!e) return std::string(1, kErrorSign);
    switch (e->kind) {
        case Ccir476Kind::Character: return m_figures ? FigureText(e->figure) : std::string(e->letter);
        case Ccir476Kind::Letters: m_figures = false; return {};
        case Ccir476Kind::Figures: m_figures = true; return {};
        case Ccir476Kind::Space: return " ";
        case Ccir476Kind::CarriageReturn: m_afterCr = true; return afterCr ? std::string() : std::string("\r\n");
        case Ccir476Kind::LineFeed: return afterCr ? std::string() : std::string("\r\n");
        default: return {};
    }
}

}  // namespace morvane::sitor
