#include "app/CMorvaneApp.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "app/CQuitOnSignal.h"
#include "app/CSettingsStore.h"
#include "app/NoSoundInputs.h"
#include "capture/ChooseDevice.h"
#include "live/PortAudioSystem.h"
#include "widgets/AppIcon.h"

namespace {

constexpr const char* kUsage =
    "Usage: morvane [/s0 ... /s5] [FILE | --input FILE [--fast]]\n"
    "  /s0 ... /s5    use that sound input (the default input otherwise)\n"
    "  FILE           read the recording FILE as fast as the window keeps up,\n"
    "                 capture on from its first block, then go on with the sound input\n"
    "  --input FILE   play the recording FILE in place of the sound card, at its own\n"
    "                 pace, capture on from its first block (no sound input is opened)\n"
    "  --fast         read it as fast as the window keeps up\n"
    "In the window: right-click for Open recording (Ctrl+O), Replay at real time,\n"
    "Save picture (Ctrl+S) and Follow newest rows; a recording dropped on the window\n"
    "is read too. Esc or Stop capture ends a reading early.\n";

}  // namespace

CMorvaneApp::CMorvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Qt sets the C library's locale from the environment; printf-style texts
    // ("Speed = %.2f") must keep '.' whatever the user's language.
    std::setlocale(LC_NUMERIC, "C");
    setOrganizationName(QString::fromLatin1(CSettingsStore::kOrganisation));
    // The application name stays the executable's base name, as Qt sets it.
    setWindowIcon(MorvaneIcon());
}

std::optional<CMorvaneDlg::Launch> CMorvaneApp::ParseCommandLine(int argc, const char* const* argv,
                                                                 std::string& error) {
    CMorvaneDlg::Launch launch;
    for (int i = 1; i < argc; ++i) launch.arguments.emplace_back(argv[i]);
    constexpr std::string_view kInput = "--input";
    constexpr std::string_view kInputIs = "--input=";
    bool inputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == kInput) {
            inputGiven = true;
            if (i + 1 < argc)
                launch.inputPath = argv[++i];
            else
                launch.inputPath.clear();
        } else if (arg.substr(0, kInputIs.size()) == kInputIs) {
            inputGiven = true;
            launch.inputPath = std::string(arg.substr(kInputIs.size()));
        } else if (arg == "--fast") {
            launch.fast = true;
        } else if (arg == "--help" || arg == "-h") {
            launch.help = true;
        } else if (!arg.empty() && arg[0] != '-' && !morvane::IsCardSwitch(arg)) {
            // "/s0" ... "/s5" choose the card; every other plain word names a recording.
            launch.openPath = std::string(arg);
        }
    }
    if (inputGiven && launch.inputPath.empty()) {
        error = "--input needs the path of a recording";
        return std::nullopt;
    }
    return launch;
}

std::optional<int> CMorvaneApp::CheckCommandLine(int argc, const char* const* argv, CMorvaneDlg::Launch& launch) {
    std::string error;
    const std::optional<CMorvaneDlg::Launch> parsed = ParseCommandLine(argc, argv, error);
    if (!parsed) {
        std::cerr << "morvane: " << error << "\n" << kUsage;
        return 2;
    }
    if (parsed->help) {
        std::cout << kUsage;
        return 0;
    }
    for (const std::string& path : {parsed->inputPath, parsed->openPath}) {
        if (!path.empty() && !std::filesystem::is_regular_file(path)) {
            std::cerr << "morvane: cannot read '" << path << "': no such file\n";
            return 1;
        }
    }
    launch = *parsed;
    return std::nullopt;
}

std::optional<int> CMorvaneApp::CheckDisplay() {
    // Qt would abort with its own plugin message; a person needs to know what to use instead.
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return std::nullopt;
    std::cerr << "morvane: no display; to decode without a window use morvane-cli (see morvane-cli --help)\n";
    return 1;
}

int CMorvaneApp::Run(const CMorvaneDlg::Launch& launch) {
    try {
        // SIGINT and SIGTERM close the windows as Esc does; the settings are
        // saved on the way out as on a normal close.
        CQuitOnSignal quitOnSignal;
        CSettingsStore settings;
        // A recording replaces the card: the sound library stays unstarted.
        std::unique_ptr<morvane::SoundSystem> system;
        if (launch.inputPath.empty())
            system = morvane::MakeSoundSystem();
        else
            system = std::make_unique<NoSoundInputs>();
        // The window closes the sound input and writes the settings when it is
        // destroyed, at the end of this block.
        CMorvaneDlg window(settings, std::move(system), launch);
        window.exec();
    } catch (const std::exception& e) {
        std::cerr << "morvane: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
