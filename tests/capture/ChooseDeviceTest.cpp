#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeSound.h"
#include "capture/ChooseDevice.h"

namespace morvane {
namespace {

constexpr const char* kHint = "Hint: use '/s0' .. '/s5' argument to change sound card";

struct ChoiceCase {
    const char* name;
    std::vector<std::string> arguments;  // after the program path
    int inputs;               // cards named "Card 0", "Card 1", ...
    int unnamedInput;         // this input's name cannot be queried (-2: none)
    bool defaultNamed;        // the default input's name can be queried
    int wantDevice;
    std::string wantStatus;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChooseDeviceTable : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseDeviceTable, PicksCardAndStatus) {
    const ChoiceCase& c = GetParam();
    test::FakeSystem system;
    for (int i = 0; i < c.inputs; ++i)
        system.names.push_back(i == c.unnamedInput ? std::nullopt : std::optional<std::string>("Card " + std::to_string(i)));
    if (!c.defaultNamed) system.defaultName.reset();

    const DeviceChoice choice = ChooseDevice(c.arguments, system);
    EXPECT_EQ(choice.device, c.wantDevice);
    EXPECT_EQ(choice.status, c.wantStatus);
    EXPECT_EQ(system.opens, 0) << "choosing must not open anything";
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ChooseDeviceTable,
    ::testing::Values(
        ChoiceCase{"NoSwitch", {}, 3, -2, true, -1, kHint},
        ChoiceCase{"Card0", {"/s0"}, 3, -2, true, 0, "Card \"Card 0\" selected"},
        ChoiceCase{"Card5", {"/s5"}, 6, -2, true, 5, "Card \"Card 5\" selected"},
        ChoiceCase{"S0SearchedFirst", {"/s1", "/s0"}, 3, -2, true, 0, "Card \"Card 0\" selected"},
        ChoiceCase{"AmongOtherWords", {"levels", "--live", "/s2", "-o", "out.txt"}, 3, -2, true, 2,
                   "Card \"Card 2\" selected"},
        ChoiceCase{"UpperCaseIgnored", {"/S1"}, 3, -2, true, -1, kHint},
        ChoiceCase{"S6Unknown", {"/s6"}, 8, -2, true, -1, kHint},
        // Only an argument that is the switch itself counts: not one that holds it.
        ChoiceCase{"S10IsNoSwitch", {"/s10"}, 3, -2, true, -1, kHint},
        ChoiceCase{"InsideAnotherWord", {"--x=a/s2b"}, 3, -2, true, -1, kHint},
        ChoiceCase{"OutputPathHoldingS3", {"levels", "--live", "-o", "/tmp/s3/x.txt"}, 5, -2, true, -1, kHint},
        ChoiceCase{"RecordingPathHoldingS3", {"--input", "/home/me/s3/take.wav"}, 5, -2, true, -1, kHint},
        ChoiceCase{"SwitchWithSpace", {"/s3 "}, 5, -2, true, -1, kHint},
        ChoiceCase{"PathBesideRealSwitch", {"-o", "/tmp/s3/x.txt", "/s4"}, 5, -2, true, 4,
                   "Card \"Card 4\" selected"},
        ChoiceCase{"SwitchSplitOverTwoWords", {"/s", "1"}, 3, -2, true, -1, kHint},
        ChoiceCase{"BeyondCountUsesDefault", {"/s4"}, 2, -2, true, -1, "Card \"Default input\" selected"},
        ChoiceCase{"BeyondCountDefaultUnnamed", {"/s4"}, 2, -2, false, -1, "Sound card '-1' selected"},
        ChoiceCase{"NoInputsAtAll", {"/s0"}, 0, -2, true, -1, "Card \"Default input\" selected"},
        ChoiceCase{"NameQueryFails", {"/s1"}, 3, 1, true, 1, "Sound card '1' selected"},
        ChoiceCase{"EmptyWord", {""}, 3, -2, true, -1, kHint}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CardSwitch, OnlyTheSixWordsThemselves) {
    for (const char* word : {"/s0", "/s1", "/s2", "/s3", "/s4", "/s5"}) EXPECT_TRUE(IsCardSwitch(word)) << word;
    for (const char* word : {"", "/s", "s0", "/s6", "/s9", "/s10", "/S0", "//s0", "/s0/", "x/s0", "/s-1", "/s0 "})
        EXPECT_FALSE(IsCardSwitch(word)) << word;
    EXPECT_EQ(ChosenCard({"/s5", "/tmp/s1/a", "/s3"}), 3);
    EXPECT_EQ(ChosenCard({"/tmp/s3/x.txt"}), std::nullopt);
}

}  // namespace
}  // namespace morvane
