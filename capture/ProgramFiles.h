#pragma once
#include <string>

namespace morvane {

/// Folder of the running executable ("" when it cannot be found).
std::string ExecutableFolder();

/// The sample recording that ships with the program ("sample.wav"): beside
/// the executable, then in ../share/morvane, then in the source tree's res/
/// folder of a development build. "" when none exists.
std::string FindSampleRecording();

}  // namespace morvane
