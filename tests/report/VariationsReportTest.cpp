#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>


#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "report/ReplacingFile.h"
#include "report/Utf16Writer.h"
#include "report/VariationsReport.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kByteOrderMark = "\xFF\xFE";

/// The page (after its byte-order mark when `marked`) as ASCII; fails the
/// test when the mark is missing or a code unit is not ASCII.
std::string ReadPage(const fs::path& path, bool marked = true) {
    const std::string bytes = ReadBytes(path);
    if (marked) EXPECT_EQ(bytes.substr(0, 2), kByteOrderMark);
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::string page;
    for (std::size_t i = marked ? 2 : 0; i + 1 < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i + 1], '\0') << "at " << i;
        page += bytes[i];
    }
    return page;
}

std::string Row(std::size_t h, const char* left, const std::string& a, const char* right, const std::string& b) {
    const std::string n = std::to_string(h);
    return "<tr valign=\"top\"><td><B>" + n + " bits ignored, " + left + "</B><BR/><pre>" + a + "</pre></td><td><B>" +
           n + " bits ignored, " + right + "</B><BR/><pre>" + b + "</pre></td></tr>";
}

/// Two table rows of one ignore count: as given | inverted, reversed | reversed + inverted.
std::string Count(std::size_t h, const std::string& plain, const std::string& inverted, const std::string& reversed,
                  const std::string& both) {
    return Row(h, "no bit reverse", plain, "bit reverse", inverted) +
           Row(h, "direction reverse, no bit reverse", reversed, "direction reverse, bit reverse", both);
}

const std::string kHead = "<html><table border=\"1\">";
const std::string kTail = "</table>";

class VariationsReport : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_dir = fs::temp_directory_path() / ("morvane-report-" + std::to_string(random()));
        fs::create_directories(m_dir);
        m_path = m_dir / "results.html";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }
    /// Files in the folder other than the report: leftovers of a failed run.
    int Strays() const {
        int strays = 0;
        for (const auto& entry : fs::directory_iterator(m_dir)) strays += entry.path() != m_path;
        return strays;
    }
    fs::path m_dir, m_path;
};

}  // namespace

TEST(ReportPath, ReplacesTheExecutableNameInItsFolder) {
    EXPECT_EQ(ReportPathBeside("/usr/lib/morvane/morvane"), fs::path("/usr/lib/morvane/results.html"));
    EXPECT_EQ(ReportPathBeside("/opt/x/Morvane.exe"), fs::path("/opt/x/results.html"));
    EXPECT_EQ(ReportPathBeside("morvane"), fs::path("results.html"));
}

TEST_F(VariationsReport, PageTextByteForByte) {
    // Rows 0000110 and 1101100. Reversed: 0110000 and 0011011.
    // h = 0: 00001 E, 11011 figures | 11110 V, 00100 space | 01100 N, 00110 I | 10011 W, 11001 B.
    // h = 1: 00011 A, 10110 P | 11100 M, 01001 D | 11000 O, 01101 F | 00111 U, 10010 L.
    ASSERT_EQ(WriteVariationsReport("0000110\r\n1101100\r\n", m_path), ReportOutcome::Written);
    const std::string expected = kHead + Count(0, "E", "V ", "NI", "WB") + Count(1, "AP", "MD", "OF", "UL") + kTail;
    EXPECT_EQ(ReadPage(m_path), expected);
    const std::string bytes = ReadBytes(m_path);
    ASSERT_EQ(bytes.size(), 2 + 2 * expected.size());
    EXPECT_EQ(bytes.substr(0, 4), kByteOrderMark + std::string("<\0", 2));  // the mark, then the page
    EXPECT_EQ(Strays(), 0);
}

TEST_F(VariationsReport, IgnoreCountsFollowTheFirstRow) {
    const struct {
        std::string bits;
        std::string page;
    } cases[] = {
        {"000011\r\n", kHead + Count(0, "E", "V", "O", "U") + kTail},
        {"\r\n\r\n00001\r\n11111\r\n", kHead + kTail},
        {"1\r\n0000111\r\n", kHead + kTail},
        // A later row no longer than h with its carriage return stays whole.
        {"000000000000\r\n00011\r\n", ""},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(WriteVariationsReport(c.bits, m_path), ReportOutcome::Written) << c.bits;
        if (!c.page.empty()) {
            EXPECT_EQ(ReadPage(m_path), c.page) << c.bits;
        }
    }
    const std::string page = ReadPage(m_path);
    EXPECT_NE(page.find("<B>6 bits ignored, no bit reverse</B><BR/><pre> A</pre>"), std::string::npos);
    EXPECT_NE(page.find("<B>5 bits ignored, no bit reverse</B><BR/><pre> </pre>"), std::string::npos);
    EXPECT_NE(page.find("<B>1 bits ignored, no bit reverse</B><BR/><pre> ?</pre>"), std::string::npos);
    EXPECT_EQ(page.find("<B>7 bits ignored"), std::string::npos);
}

TEST_F(VariationsReport, DecodedTextGoesInRaw) {
    // Figures then 26 is "&"; 8 is a line break.
    ASSERT_EQ(WriteVariationsReport("110110\r\n110100\r\n010000\r\n", m_path), ReportOutcome::Written);
    const std::string page = ReadPage(m_path);
    EXPECT_NE(page.find("<pre>&\r\n</pre>"), std::string::npos) << page;
    EXPECT_EQ(page.find("&amp;"), std::string::npos);
}

TEST_F(VariationsReport, RerunReplacesTheFileWithIdenticalBytes) {
    WriteBytes(m_path, std::string(100000, 'x'));
    const std::string bits = "0001011\r\n0101100\r\n 1_0 01\r\n";
    ASSERT_EQ(WriteVariationsReport(bits, m_path), ReportOutcome::Written);
    const std::string first = ReadBytes(m_path);
    ASSERT_EQ(first.substr(0, 4), kByteOrderMark + std::string("<\0", 2));
    ASSERT_EQ(WriteVariationsReport(bits, m_path), ReportOutcome::Written);
    EXPECT_EQ(ReadBytes(m_path), first);
    EXPECT_EQ(Strays(), 0);
}

TEST_F(VariationsReport, NoRowsWritesNothing) {
    for (const std::string bits : {"", "\r\n", "\n\r\n\r"}) {
        EXPECT_EQ(WriteVariationsReport(bits, m_path), ReportOutcome::NoRows);
        EXPECT_FALSE(fs::exists(m_path));
    }
    WriteBytes(m_path, "earlier");
    EXPECT_EQ(WriteVariationsReport("", m_path), ReportOutcome::NoRows);
    EXPECT_EQ(ReadBytes(m_path), "earlier");
}

TEST_F(VariationsReport, CannotCreateLeavesTheEarlierReport) {
    const std::string bits = "0000110\r\n";
    // A folder that does not exist.
    EXPECT_EQ(WriteVariationsReport(bits, m_dir / "missing" / "results.html"), ReportOutcome::CannotCreate);
    // A folder where the report should be.
    fs::create_directory(m_path);
    EXPECT_EQ(WriteVariationsReport(bits, m_path), ReportOutcome::CannotCreate);
    EXPECT_TRUE(fs::is_directory(m_path));
    fs::remove(m_path);
    // An earlier report marked read-only.
    WriteBytes(m_path, "earlier");
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(WriteVariationsReport(bits, m_path), ReportOutcome::CannotCreate);
    EXPECT_EQ(ReadBytes(m_path), "earlier");
    EXPECT_EQ(Strays(), 0);
}

TEST_F(VariationsReport, FolderWithoutWriteAccess) {
    WriteBytes(m_path, "earlier");
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (std::ofstream(m_dir / "probe")) GTEST_SKIP() << "folder permissions do not bind this user";
    EXPECT_EQ(WriteVariationsReport("0000110\r\n", m_path), ReportOutcome::CannotCreate);
    EXPECT_EQ(ReadBytes(m_path), "earlier");
}

TEST_F(VariationsReport, WriterEncodesAcrossItsBufferAndNoticesLostWrites) {
    std::string text;
    for (int i = 0; i < 100003; ++i) text += static_cast<char>('!' + i % 90);
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    Utf16Writer writer(file);
    writer.Put(text.substr(0, 7));
    writer.Put(text.substr(7));
    writer.Flush();
    EXPECT_FALSE(writer.Failed());
    std::fclose(file);
    EXPECT_EQ(ReadPage(m_path, false), text);

    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    Utf16Writer lost(full);
    lost.Put(text);
    lost.Flush();
    EXPECT_TRUE(lost.Failed());
    std::fclose(full);
}

TEST_F(VariationsReport, UncommittedFileLeavesNothingBehind) {
    WriteBytes(m_path, "earlier");
    {
        ReplacingFile file(m_path);
        ASSERT_NE(file.File(), nullptr);
        std::fputs("half a page", file.File());
    }  // dropped, as when writing fails or throws
    EXPECT_EQ(ReadBytes(m_path), "earlier");
    EXPECT_EQ(Strays(), 0);
    {
        ReplacingFile file(m_path);
        std::fputs("new", file.File());
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadBytes(m_path), "new");
    EXPECT_EQ(Strays(), 0);
}


TEST_F(VariationsReport, StaleTemporariesOfEndedRunsAreClearedByTheNextWrite) {
    // A process that has ended: a child that exits at once, reaped.
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    int status = 0;
    waitpid(ended, &status, 0);
    const fs::path stale = m_dir / (".morvane-" + std::to_string(ended) + "-0badf00d.tmp");
    const fs::path running = m_dir / (".morvane-" + std::to_string(getppid()) + "-00c0ffee.tmp");
    const fs::path foreign = m_dir / ".morvane-notours.tmp";
    for (const fs::path& p : {stale, running, foreign}) WriteBytes(p, "left over");
    EXPECT_TRUE(ReplacingFile::IsTemporaryName(stale.filename().string()));
    EXPECT_FALSE(ReplacingFile::IsTemporaryName(foreign.filename().string()));
    {
        ReplacingFile failed(m_path);
        std::fputs("dropped", failed.File());
    }
    EXPECT_TRUE(fs::exists(stale)) << "only a successful write clears";
    {
        ReplacingFile file(m_path);
        std::fputs("new", file.File());
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running)) << "a running process's temporary stays";
    EXPECT_TRUE(fs::exists(foreign)) << "a name not of this program's pattern stays";
}

TEST_F(VariationsReport, ReplacedFileKeepsItsPermissions) {
    WriteBytes(m_path, "earlier");
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::owner_write);
    ReplacingFile file(m_path);
    std::fputs("new", file.File());
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

// What a program's signal handler calls before the signal ends it: every open
// temporary goes, the earlier file stays, and a later Commit reports failure.
TEST_F(VariationsReport, RemoveTemporariesLeavesTheEarlierFile) {
    WriteBytes(m_path, "earlier");
    ReplacingFile first(m_path);
    ReplacingFile second(m_dir / "other.html");
    std::fputs("half", first.File());
    std::fflush(first.File());
    EXPECT_EQ(Strays(), 2) << "the temporaries exist while writing";
    ReplacingFile::RemoveTemporaries();
    EXPECT_EQ(Strays(), 0);
    EXPECT_FALSE(first.Commit()) << "a removed temporary is no success";
    EXPECT_EQ(ReadBytes(m_path), "earlier");
    EXPECT_FALSE(fs::exists(m_dir / "other.html"));
}

