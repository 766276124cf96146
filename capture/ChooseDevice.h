#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/SoundSystem.h"

namespace morvane {

/// The sound input picked from the command line, and the status text for it.
struct DeviceChoice {
    int device = SoundSystem::kDefaultInput;  // input number, or kDefaultInput
    std::string status;
};

/// Whether `word` is a card switch: exactly "/s0", "/s1" … "/s5"
/// (case-sensitive; "/s10", "/S1" or a path holding "/s3/" are not).
bool IsCardSwitch(std::string_view word);

/// The input number 0 … 5 the arguments (without the program path) choose:
/// of the arguments that are card switches, "/s0" is looked for first, then
/// "/s1" and so on. No value when no argument is one.
std::optional<int> ChosenCard(const std::vector<std::string>& arguments);

/// Picks the sound input from the arguments as ChosenCard reads them; an
/// input number not below system.InputCount() selects the default input.
/// Without a card switch the status is the hint naming them.
DeviceChoice ChooseDevice(const std::vector<std::string>& arguments, SoundSystem& system);

}  // namespace morvane
