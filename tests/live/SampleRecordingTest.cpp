// The sample recording that ships with the program: found at run time, and
// what it says comes back through the live path.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/DecodeRoundTripSupport.h"
#include "live/LiveRun.h"
#include "live/ProgramFiles.h"
#include "recording/RecordingReader.h"
#include "decode/BaudotDecoder.h"
#include "decode/BitTransforms.h"
#include "support/FakeSound.h"

namespace morvane {
namespace {

TEST(SampleRecording, IsFoundAndSmall) {
    const std::string path = FindSampleRecording();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::path(path).filename(), "sample.wav");
    EXPECT_LT(std::filesystem::file_size(path), 2u * 1024 * 1024);
    RecordingReader reader(path);
    EXPECT_EQ(reader.SourceRate(), 48000);
    EXPECT_EQ(reader.Channels(), 1);
}

TEST(SampleRecording, DecodesThroughTheLivePath) {
    LiveRunOptions options;
    options.recording = FindSampleRecording();
    ASSERT_FALSE(options.recording.empty());
    std::atomic<bool> interrupted{false};
    const std::vector<std::int32_t> levels = RunLiveCapture(std::make_unique<test::FakeSystem>(), options, interrupted);
    const std::int32_t offset = roundtrip::FindFrameOffset(levels);
    const std::string bits = ExtractBits(levels, roundtrip::FrameRaster(offset));
    std::string text;
    DecodeBaudot(PrepareBits(roundtrip::WithoutPartialLastRow(bits), false, true, 2), 2, text);
    EXPECT_NE(text.find("CQ CQ CQ DE MORVANE MORVANE\r\nTHE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\r\n"
                        "RYRYRYRY 73 SK"),
              std::string::npos)
        << text;
}

TEST(ProgramFiles, CommandLineAndFolderOfThisProcess) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "morvane_live_tests"));
    const std::string line = ProcessCommandLine();
    EXPECT_NE(line.find("morvane_live_tests"), std::string::npos) << line;
    EXPECT_EQ(line.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace morvane
