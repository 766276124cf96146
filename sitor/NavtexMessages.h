#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::sitor {

/// One NAVTEX message as received: "ZCZC B1B2B3B4", its text, "NNNN".
struct NavtexMessage {
    std::string id;          // B1B2B3B4 as received (an error shows as '*')
    char station = '*';      // B1: the transmitter's letter
    char subject = '*';      // B2
    std::string number;      // B3B4
    std::string text;        // between the header line and NNNN, line breaks CR LF
    bool complete = false;   // NNNN was received
    int errors = 0;          // characters received in error in the header and text
    std::size_t at = 0;      // where "ZCZC" begins in the text read
};

/// The subject of B2 in words ("navigational warning", …); "unknown subject" for others.
std::string_view NavtexSubject(char b2);

/// The messages in received text, in order: each from "ZCZC" to "NNNN" (or to
/// the next "ZCZC" or the end, incomplete).
std::vector<NavtexMessage> FindNavtexMessages(std::string_view text);

/// Keeps every message once: a message whose identity came before keeps the
/// copy with fewer errors, at the place of the first. Identities with the
/// number 00 (always printed, as receivers do) and identities holding an
/// error are never merged.
std::vector<NavtexMessage> KeepOnce(const std::vector<NavtexMessage>& messages);

/// A message's header as a line opening it: "NAVTEX EA01 · station E ·
/// navigational warning · number 01" (UTF-8, no line end).
std::string NavtexHeading(const NavtexMessage& message);

/// The block printed for a message: a header line (stream time, station,
/// subject, number, errors), "ZCZC B1B2B3B4", the text and "NNNN" (when
/// received), each line ended by CR LF, and an empty line.
std::string NavtexBlock(const NavtexMessage& message, std::string_view time);

}  // namespace morvane::sitor
