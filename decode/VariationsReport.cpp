#include "decode/VariationsReport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

#include "decode/BaudotRows.h"
#include "decode/BitTransforms.h"

namespace fs = std::filesystem;

namespace morvane {

namespace {

/// Writes ASCII text to a file as UTF-16LE code units through a buffer.
class Utf16Writer {
public:
    explicit Utf16Writer(std::FILE* file) : m_file(file), m_buffer(kBufferBytes) {}

    void Put(std::string_view text) {
        while (!text.empty()) {
            if (m_used == kBufferBytes) Flush();
            const std::size_t n = std::min(text.size(), (kBufferBytes - m_used) / 2);
            char* out = m_buffer.data() + m_used;
            for (std::size_t i = 0; i < n; ++i) {
                out[2 * i] = text[i];
                out[2 * i + 1] = '\0';
            }
            m_used += 2 * n;
            text.remove_prefix(n);
        }
    }

    void Flush() {
        if (m_used != 0 && std::fwrite(m_buffer.data(), 1, m_used, m_file) != m_used) m_failed = true;
        m_used = 0;
    }

    bool Failed() const { return m_failed; }

private:
    static constexpr std::size_t kBufferBytes = 1 << 16;
    std::FILE* m_file;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};

/// A file created beside the report under a fresh name; removed again unless
/// it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 16 && m_file == nullptr; ++attempt) {
            // A short hidden name in the report's folder, so that the final
            // rename stays within one file system.
            char name[40];
            std::snprintf(name, sizeof name, ".morvane-report-%08x.tmp", static_cast<unsigned>(random()));
            m_path = target.parent_path() / name;
            // "x": fail rather than reuse a file that already exists.
            m_file = std::fopen(m_path.c_str(), "wbx");
        }
    }
    ~TemporaryFile() {
        if (m_file) std::fclose(m_file);
        if (!m_kept) {
            std::error_code ignored;
            fs::remove(m_path, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::FILE* File() const { return m_file; }

    /// Closes the file and renames it over `target`; false when either fails.
    bool Commit(const fs::path& target) {
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!closed) return false;
        std::error_code error;
        fs::rename(m_path, target, error);
        m_kept = !error;
        return m_kept;
    }

private:
    fs::path m_path;
    std::FILE* m_file = nullptr;
    bool m_kept = false;
};

/// Whether an earlier report at `path`, if any, may be replaced: it must be
/// a file that is not marked read-only and that opens for writing.
bool MayReplace(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return true;
    if (error || status.type() != fs::file_type::regular) return false;
    constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kWrite) == fs::perms::none) return false;
    // Appending writes nothing; it only checks that writing is allowed.
    std::FILE* probe = std::fopen(path.c_str(), "ab");
    if (!probe) return false;
    std::fclose(probe);
    return true;
}

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
    if (!MayReplace(path)) return ReportOutcome::CannotCreate;
    TemporaryFile file(path);
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
    if (page.Failed() || !file.Commit(path)) return ReportOutcome::CannotCreate;
    return ReportOutcome::Written;
}

}  // namespace morvane
