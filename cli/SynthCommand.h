#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `synth --text TEXT [--mark HZ] [--space HZ] [--baud B] [--stop-bits 1|1.5|2]
/// [--idle S] [--snr DB] [--seed N] -o OUT.wav`: a teleprinter test signal as a
/// 48 kHz 16-bit mono WAV file.
void AddSynthCommand(CLI::App& app);

}  // namespace morvane::cli
