#pragma once
#include <CLI/CLI.hpp>

namespace morvane::cli {

/// `channel REC -o OUT.wav [--input-channel N] [--channel PRESET] [--paths N]
/// [--delay-ms D] [--doppler-hz S] [--offset-hz X] [--drift-hz-per-min Y]
/// [--cw HZ:DB]... [--mix FILE:DB:SHIFT_HZ]... [--silence S] [--snr DB]
/// [--seed N]`: a recording as received through the HF channel simulator, as
/// a 48 kHz 16-bit mono WAV file.
void AddChannelCommand(CLI::App& app);

}  // namespace morvane::cli
