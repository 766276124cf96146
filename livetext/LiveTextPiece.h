#pragma once
#include <string>

#include "livetext/TransmissionInfo.h"

namespace morvane {

/// One step of the live text: a transmission begins (its header), or
/// characters were decoded.
struct LiveTextPiece {
    enum class Kind { Transmission, Text };
    Kind kind = Kind::Text;
    TransmissionInfo transmission;  // Kind::Transmission: what was found
    std::string text;               // Kind::Text: decoded characters, UTF-8, lines ended by CR LF or LF as decoded
};

}  // namespace morvane
