#pragma once
#include <cstdint>
#include <string>

namespace morvane {

/// Decodes a bit string, one code group per row (rows cut at line feeds only,
/// a carriage return stays part of its row), skipping `ignore` leading
/// characters of every row longer than that. Replaces `output`; never fails.
void DecodeBaudot(const std::string& input, std::int32_t ignore, std::string& output);

}  // namespace morvane
