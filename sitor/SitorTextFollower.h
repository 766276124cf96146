#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sitor/Ccir476.h"
#include "sitor/NavtexMessages.h"
#include "sitor/SitorStream.h"

namespace morvane::sitor {

/// One step of SITOR-B text as it comes.
struct SitorTextPiece {
    enum class Kind {
        Emission,      // a run of characters begins (after a stretch without SITOR-B)
        MessageStart,  // a NAVTEX header line ("ZCZC B1B2B3B4") has come: `message` holds its identity
        Text,          // printed characters, lines ended by CR LF
        MessageEnd,    // the message is over (NNNN, the next header, the end): `message` whole
    };
    Kind kind = Kind::Text;
    std::string text;
    NavtexMessage message;
    std::int64_t sample = 0;  // Emission, MessageStart, MessageEnd: where it (its "ZCZC") began
    bool repeat = false;      // MessageEnd: a copy of a message ended before that was as good (KeepOnce's rule)
};

/// Turns characters into text and NAVTEX messages as they come: the text is
/// that of SitorText, piece by piece, in the same order; a header line is
/// held back until it is whole, so that its MessageStart comes before the
/// "ZCZC" it opens.
class SitorTextFollower {
public:
    void Add(const std::vector<StreamCharacter>& characters, std::vector<SitorTextPiece>& out);
    /// The characters have ended: the text held and the open message come out.
    void Finish(std::vector<SitorTextPiece>& out);

    /// Longest header line waited for ("ZCZC" to its line end).
    static constexpr std::size_t kHeaderLine = 24;
    /// Longest message: one that runs on past this ends there, incomplete.
    static constexpr std::size_t kLongestMessage = 65536;

private:
    void Scan(bool ended, std::vector<SitorTextPiece>& out);
    void Release(std::size_t count, std::vector<SitorTextPiece>& out);
    void EndMessage(std::vector<SitorTextPiece>& out);
    std::int64_t SampleAt(std::size_t at) const;

    Ccir476Printer m_printer;
    bool m_any = false;         // text was printed
    bool m_atLineStart = true;
    std::string m_hold;                                   // printed, not yet handed out
    std::vector<std::pair<std::size_t, std::int64_t>> m_marks;  // where each character's text begins in m_hold, its sample
    std::int64_t m_lastSample = 0;
    bool m_inMessage = false;
    std::string m_message;      // the open message from its "ZCZC"
    std::size_t m_headerSize = 0;
    std::int64_t m_messageSample = 0;
    std::map<std::string, std::pair<bool, int>> m_ended;  // identity: complete, errors of the best copy ended
};

}  // namespace morvane::sitor
