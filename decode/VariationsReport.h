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
/// UTF-16LE without byte-order mark. The shell opens it or shows
/// "Cannot create output file" according to the outcome.
ReportOutcome WriteVariationsReport(const std::string& sourceBits, const std::filesystem::path& path);

}  // namespace morvane
