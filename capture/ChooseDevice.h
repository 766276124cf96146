#pragma once
#include <string>
#include <string_view>

#include "capture/SoundSystem.h"

namespace morvane {

/// The sound input picked from the command line, and the status text for it.
struct DeviceChoice {
    int device = SoundSystem::kDefaultInput;  // input number, or kDefaultInput
    std::string status;
};

/// Picks the sound input from the whole command line (program path and
/// arguments joined with spaces): the first of "/s0", "/s1" … "/s5" found,
/// searched in that order and case-sensitively, selects that input; an input
/// number not below system.InputCount() selects the default input.
DeviceChoice ChooseDevice(std::string_view commandLine, SoundSystem& system);

/// argv joined with single spaces, as the switches are searched in.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace morvane
