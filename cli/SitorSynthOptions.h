#pragma once
#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "synth/RttySynth.h"

namespace morvane::cli {

/// The words of synth for SITOR-B.
struct SitorSynthChoice {
    std::optional<std::string> navtex;  // --navtex B1B2B3B4: the text as a NAVTEX message
    double phasingSeconds = 2.0;        // --phasing S
};

/// Adds --navtex and --phasing to synth.
void AddSitorSynthOptions(CLI::App* command, SitorSynthChoice& choice);

/// synth --code sitor-b: the text (as a NAVTEX message with --navtex) in
/// mode B at 100 baud (or --baud), mark 1785 Hz and space 1615 Hz unless
/// --mark/--space are given. `settings` carries the tones, rate, idle time,
/// noise and seed as the command line set them. Throws CLI::ValidationError
/// for words SITOR-B has no use for and for text without a code.
std::vector<std::int16_t> SynthesizeSitorCommand(const std::string& text, const RttySynthSettings& settings,
                                                 const SitorSynthChoice& choice, const CLI::App& command);

}  // namespace morvane::cli
