#include "capture/ChooseDevice.h"

#include <algorithm>

namespace morvane {

namespace {
constexpr int kCardSwitches = 6;  // "/s0" … "/s5"
}  // namespace

bool IsCardSwitch(std::string_view word) {
    return word.size() == 3 && word[0] == '/' && word[1] == 's' && word[2] >= '0' && word[2] < '0' + kCardSwitches;
}

std::optional<int> ChosenCard(const std::vector<std::string>& arguments) {
    std::optional<int> card;
    for (const std::string& word : arguments)
        if (IsCardSwitch(word)) card = std::min(card.value_or(kCardSwitches), word[2] - '0');
    return card;
}

DeviceChoice ChooseDevice(const std::vector<std::string>& arguments, SoundSystem& system) {
    const std::optional<int> card = ChosenCard(arguments);
    DeviceChoice choice;
    if (!card) {
        choice.status = "Hint: use '/s0' .. '/s5' argument to change sound card";
        return choice;
    }
    choice.device = *card < system.InputCount() ? *card : SoundSystem::kDefaultInput;
    if (auto name = system.InputName(choice.device))
        choice.status = "Card \"" + *name + "\" selected";
    else
        choice.status = "Sound card '" + std::to_string(choice.device) + "' selected";
    return choice;
}

}  // namespace morvane
