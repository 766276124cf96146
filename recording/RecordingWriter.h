#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace morvane {

/// Writes signed 16-bit mono samples as a 48 kHz WAV file. Throws
/// std::runtime_error "cannot write 'PATH': REASON" when the file cannot be
/// created or written.
void WriteWav16Mono(const std::string& path, const std::vector<std::int16_t>& samples);

/// The same into an open file (left open), named `name` in messages.
void WriteWav16Mono(std::FILE* file, const std::string& name, const std::vector<std::int16_t>& samples);

}  // namespace morvane
