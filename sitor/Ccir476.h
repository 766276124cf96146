#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::sitor {

/// What one of the 35 seven-bit constant-ratio words stands for.
enum class Ccir476Kind : std::uint8_t {
    Character,  // a letter in the letters case, a figure in the figures case
    Letters,    // letters shift
    Figures,    // figures shift
    Space,
    CarriageReturn,
    LineFeed,
    Alpha,      // idle signal α: phasing (RX position), end of emission
    Beta,       // idle signal β
    Repeat,     // RQ: phasing (DX position)
    Blank,      // the all-space teleprinter signal, prints nothing
};

/// One word of the code: its value (bit 1, the first sent, least significant;
/// 1 = B, mark), its letter and its figure (UTF-8; empty where it has none).
struct Ccir476Entry {
    std::uint8_t word;
    Ccir476Kind kind;
    const char* letter;
    const char* figure;
};

inline constexpr std::uint8_t kWordAlpha = 0x0F;
inline constexpr std::uint8_t kWordBeta = 0x33;
inline constexpr std::uint8_t kWordRepeat = 0x66;
inline constexpr std::uint8_t kWordLetters = 0x5A;
inline constexpr std::uint8_t kWordFigures = 0x36;
inline constexpr std::uint8_t kWordSpace = 0x5C;
inline constexpr std::uint8_t kWordCr = 0x78;
inline constexpr std::uint8_t kWordLf = 0x6C;
inline constexpr int kWordBits = 7;
inline constexpr int kValidWords = 35;

/// The 35 words, in order of value.
const std::array<Ccir476Entry, kValidWords>& Ccir476Table();

/// True for a 7-bit value with exactly four marks (a word of the code).
constexpr bool IsConstantRatio(unsigned word) {
    return word < 128 && __builtin_popcount(word) == 4;
}

/// The entry of a valid word; nullptr for any other value.
const Ccir476Entry* FindWord(unsigned word);

/// The words that send UTF-8 text: upper case letters (lower case folded),
/// digits and the figures - ? : ( ) . , ' = / + ! & £, the bell (U+0007)
/// and WRU (U+0005); a space as the space word, a line break (LF, CR LF or a
/// lone CR) as CR LF. The receiver starts in letters; shifts are sent where
/// the next character needs the other case. Throws std::invalid_argument
/// naming the first character that has no word.
std::vector<std::uint8_t> EncodeCcir476(std::string_view utf8Text);

/// Turns received words into text, keeping the letters/figures case from word
/// to word (a space does not return to letters). A line break (CR, LF, CR LF)
/// gives one CR LF; the idle, phasing and blank signals give nothing; an
/// error (a character neither copy gave) gives `kErrorSign`.
class Ccir476Printer {
public:
    static constexpr char kErrorSign = '*';
    /// word: 0 … 127, or -1 for a character received in error.
    std::string Print(int word);
    void Reset() { m_figures = false; m_afterCr = false; }

private:
    bool m_figures = false;
    bool m_afterCr = false;
};

}  // namespace morvane::sitor
