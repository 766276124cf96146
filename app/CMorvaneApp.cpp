#include "app/CMorvaneApp.h"

#include <clocale>
#include <cstring>
#include <exception>
#include <iostream>
#include <string_view>

#include "app/CSettingsStore.h"
#include "capture/ChooseDevice.h"
#include "capture/PortAudioSystem.h"
#include "widgets/AppIcon.h"

CMorvaneApp::CMorvaneApp(int& argc, char** argv) : QApplication(argc, argv), m_argc(argc), m_argv(argv) {
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
    launch.commandLine = morvane::JoinCommandLine(argc, argv);
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
        }
    }
    if (inputGiven && launch.inputPath.empty()) {
        error = "--input needs the path of a recording";
        return std::nullopt;
    }
    return launch;
}

int CMorvaneApp::Run() {
    std::string error;
    const std::optional<CMorvaneDlg::Launch> launch = ParseCommandLine(m_argc, m_argv, error);
    if (!launch) {
        std::cerr << "morvane: " << error << "\n";
        return 2;
    }
    try {
        CSettingsStore settings;
        // The window closes the sound input and writes the settings when it is
        // destroyed, at the end of this block.
        CMorvaneDlg window(settings, morvane::MakeSoundSystem(), *launch);
        window.exec();
    } catch (const std::exception& e) {
        std::cerr << "morvane: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
