#include "report/VariationsReport.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "decode/BaudotRows.h"
#include "decode/BitTransforms.h"
#include "report/ReplacingFile.h"
#include "report/Utf16Writer.h"

namespace fs = std::filesystem;

namespace morvane {

namespace {

/// Length of the first row when rows are cut at CR and LF; 0 when none.
std::size_t FirstRowLength(std::string_view bits) {
    const std::size_t start = bits.find_first_not_of("\r\n");
    if (start == std::string_view::npos) return 0;
    const std::size_t stop = bits.find_first_of("\r\n", start);
    return (stop == std::string_view::npos ? bits.size() : stop) - start;
}

struct Variant {
    const BaudotRows* rows;
    bool invert;
    const char* heading;  // follows the ignore count
};

}  // namespace

fs::path ReportPathBeside(const fs::path& executable) {
    return executable.parent_path() / "results.html";
}

ReportOutcome WriteVariationsReport(const std::string& sourceBits, const fs::path& path) {
    const std::size_t frame = FirstRowLength(sourceBits);
    if (frame == 0) return ReportOutcome::NoRows;
    ReplacingFile file(path);
    if (!file.File()) return ReportOutcome::CannotCreate;

    // The four variants share two row lists: inversion is applied while the
    // code groups are read.
    std::string reversed = sourceBits;
    ReverseRows(reversed);
    const BaudotRows sourceRows(sourceBits);
    const BaudotRows reversedRows(reversed);
    const Variant variants[4] = {
        {&sourceRows, false, " bits ignored, no bit reverse</B><BR/>"},
        {&sourceRows, true, " bits ignored, bit reverse</B><BR/>"},
        {&reversedRows, false, " bits ignored, direction reverse, no bit reverse</B><BR/>"},
        {&reversedRows, true, " bits ignored, direction reverse, bit reverse</B><BR/>"},
    };

    // The byte-order mark tells a browser the page is UTF-16LE; without it
    // the page is read as an 8-bit encoding and shows as garbage.
    constexpr unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
    if (std::fwrite(kByteOrderMark, 1, sizeof kByteOrderMark, file.File()) != sizeof kByteOrderMark)
        return ReportOutcome::CannotCreate;
    Utf16Writer page(file.File());
    page.Put("<html><table border=\"1\">");
    std::string decoded;
    for (std::size_t h = 0; h + 5 < frame && h <= INT32_MAX && !page.Failed(); ++h) {
        const std::string count = std::to_string(h);
        for (int v = 0; v < 4; ++v) {
            const bool left = v % 2 == 0;
            if (left) page.Put("<tr valign=\"top\"><td>");
            page.Put("<B>");
            page.Put(count);
            page.Put(variants[v].heading);
            variants[v].rows->Decode(static_cast<std::int32_t>(h), variants[v].invert, decoded);
            page.Put("<pre>");
            page.Put(decoded);
            page.Put(left ? "</pre></td><td>" : "</pre></td></tr>");
        }
    }
    page.Put("</table>");
    page.Flush();
    if (page.Failed() || !file.Commit()) return ReportOutcome::CannotCreate;
    return ReportOutcome::Written;
}

}  // namespace morvane
