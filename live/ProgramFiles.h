#pragma once
#include <string>

namespace morvane {

/// Folder of the running executable ("" when it cannot be found).
std::string ExecutableFolder();

/// The command line the program was started with, as written: the program
/// and its arguments joined with single spaces ("" when it cannot be read).
std::string ProcessCommandLine();

/// The sample recording that ships with the program ("sample.wav"): beside
/// the executable, then in ../share/morvane, then in the source tree's res/
/// folder of a development build. "" when none exists.
std::string FindSampleRecording();

}  // namespace morvane
