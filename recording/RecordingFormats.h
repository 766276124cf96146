#pragma once
#include <string>
#include <vector>

namespace morvane {

/// File name extensions (without the dot, lower case, no repeats) of every
/// recording format the recording reader takes, as the sound file library
/// lists its formats.
std::vector<std::string> RecordingExtensions();

}  // namespace morvane
