#pragma once
#include <filesystem>
#include <string>

namespace morvane {

/// Where the report goes: "results.html" in the folder of the executable.
std::filesystem::path ReportPathBeside(const std::filesystem::path& executable);

enum class ReportOutcome {
    NoRows,        // the source bits hold no row: nothing written
    Written,       // the page is at the path, ready to open
    CannotCreate,  // the file could not be created or written; an earlier report is left as it was
};

/// Writes the page of every decoding variant of `sourceBits` to `path` as
/// UTF-16LE after the byte-order mark FF FE: for every ignore count h below L − 5 (L
/// the length of the first row, rows cut at CR and LF) the bits as given,
/// inverted, reversed and reversed + inverted, each decoded with ignore h.
/// The page is streamed to a temporary file beside `path` and renamed over it
/// only once complete, so memory stays near the size of the source and a
/// failure (folder not writable, earlier report read-only or not a file, write
/// error) leaves an earlier report untouched. The window or the command
/// line opens the page or shows "Cannot create output file" by the outcome.
ReportOutcome WriteVariationsReport(const std::string& sourceBits, const std::filesystem::path& path);

}  // namespace morvane
