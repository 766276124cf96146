#include "capture/ChooseDevice.h"

namespace morvane {

DeviceChoice ChooseDevice(std::string_view commandLine, SoundSystem& system) {
    static constexpr std::string_view kSwitches[] = {"/s0", "/s1", "/s2", "/s3", "/s4", "/s5"};
    int card = -1;
    for (int i = 0; i < 6; ++i) {
        if (commandLine.find(kSwitches[i]) != std::string_view::npos) {
            card = i;
            break;
        }
    }
    DeviceChoice choice;
    if (card < 0) {
        choice.status = "Hint: use '/s0' .. '/s5' argument to change sound card";
        return choice;
    }
    choice.device = card < system.InputCount() ? card : SoundSystem::kDefaultInput;
    if (auto name = system.InputName(choice.device))
        choice.status = "Card \"" + *name + "\" selected";
    else
        choice.status = "Sound card '" + std::to_string(choice.device) + "' selected";
    return choice;
}

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += ' ';
        if (argv[i] != nullptr) line += argv[i];
    }
    return line;
}

}  // namespace morvane
