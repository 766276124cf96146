#include "channel/ChannelPresets.h"

#include <stdexcept>

namespace morvane {

namespace {
struct NamedProfile {
    const char* name;
    PathProfile profile;
};

// Good, moderate and poor are the mid-latitude quiet, moderate and disturbed
// conditions (the same as the classic good/moderate/poor test channels);
// flutter is the classic flutter-fading channel.
constexpr NamedProfile kPresets[] = {
    {"none", {1, 0.0, 0.0}},
    {"good", {2, 0.5, 0.1}},
    {"moderate", {2, 1.0, 0.5}},
    {"poor", {2, 2.0, 1.0}},
    {"flutter", {2, 0.5, 10.0}},
};
}  // namespace

PathProfile PresetProfile(std::string_view name) {
    for (const NamedProfile& p : kPresets)
        if (name == p.name) return p.profile;
    throw std::invalid_argument("unknown channel '" + std::string(name) + "' (none, good, moderate, poor, flutter)");
}

const std::vector<std::string>& PresetNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const NamedProfile& p : kPresets) n.emplace_back(p.name);
        return n;
    }();
    return names;
}

}  // namespace morvane
