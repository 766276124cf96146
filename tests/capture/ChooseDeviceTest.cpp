#include <gtest/gtest.h>

#include "support/FakeSound.h"
#include "capture/ChooseDevice.h"

namespace morvane {
namespace {

constexpr const char* kHint = "Hint: use '/s0' .. '/s5' argument to change sound card";

struct ChoiceCase {
    const char* name;
    const char* commandLine;
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

    const DeviceChoice choice = ChooseDevice(c.commandLine, system);
    EXPECT_EQ(choice.device, c.wantDevice);
    EXPECT_EQ(choice.status, c.wantStatus);
    EXPECT_EQ(system.opens, 0) << "choosing must not open anything";
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ChooseDeviceTable,
    ::testing::Values(
        ChoiceCase{"NoSwitch", "/usr/bin/morvane", 3, -2, true, -1, kHint},
        ChoiceCase{"Card0", "morvane /s0", 3, -2, true, 0, "Card \"Card 0\" selected"},
        ChoiceCase{"Card5", "morvane /s5", 6, -2, true, 5, "Card \"Card 5\" selected"},
        ChoiceCase{"S0SearchedFirst", "morvane /s1 /s0", 3, -2, true, 0, "Card \"Card 0\" selected"},
        ChoiceCase{"S10IsCard1", "morvane /s10", 3, -2, true, 1, "Card \"Card 1\" selected"},
        ChoiceCase{"UpperCaseIgnored", "morvane /S1", 3, -2, true, -1, kHint},
        ChoiceCase{"S6Unknown", "morvane /s6", 8, -2, true, -1, kHint},
        ChoiceCase{"InsideAnotherWord", "morvane --x=a/s2b", 3, -2, true, 2, "Card \"Card 2\" selected"},
        ChoiceCase{"BeyondCountUsesDefault", "morvane /s4", 2, -2, true, -1, "Card \"Default input\" selected"},
        ChoiceCase{"BeyondCountDefaultUnnamed", "morvane /s4", 2, -2, false, -1, "Sound card '-1' selected"},
        ChoiceCase{"NoInputsAtAll", "morvane /s0", 0, -2, true, -1, "Card \"Default input\" selected"},
        ChoiceCase{"NameQueryFails", "morvane /s1", 3, 1, true, 1, "Sound card '1' selected"},
        ChoiceCase{"EmptyCommandLine", "", 3, -2, true, -1, kHint}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinCommandLine, JoinsWithSingleSpaces) {
    const char* argv[] = {"/opt/morvane", "/s", "1", "--input", "a b.wav"};
    EXPECT_EQ(JoinCommandLine(5, argv), "/opt/morvane /s 1 --input a b.wav");
    EXPECT_EQ(JoinCommandLine(0, argv), "");
    // A switch split over two arguments is not a switch.
    test::FakeSystem system;
    system.names = {"A", "B"};
    EXPECT_EQ(ChooseDevice(JoinCommandLine(5, argv), system).device, SoundSystem::kDefaultInput);
}

}  // namespace
}  // namespace morvane
