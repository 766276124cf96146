#pragma once
#include <QApplication>
#include <optional>
#include <string>

#include "app/CMorvaneDlg.h"

/// The application: prepares the process (numeric formatting with '.', the
/// settings location "Quillstead Morvane" / executable name) and runs the
/// main window modally for the program's whole interactive life.
class CMorvaneApp : public QApplication {
    Q_OBJECT
public:
    /// argc and argv must outlive the application (Qt keeps them).
    CMorvaneApp(int& argc, char** argv);

    /// Reads the command line: "--input FILE" (or "--input=FILE") reads a
    /// recording in place of the sound card at its own pace, "--fast" as fast
    /// as the window keeps up; an argument "/s0" … "/s5" chooses the card; a
    /// plain word (not starting with '-') names a recording read once the
    /// card is open; other options are ignored; "--help" asks for the usage. Returns no value
    /// and sets `error` when "--input" lacks its file.
    static std::optional<CMorvaneDlg::Launch> ParseCommandLine(int argc, const char* const* argv, std::string& error);

    /// Parses and checks the command line before any window exists: an exit
    /// code when the program should end at once (usage printed, a missing
    /// recording reported), otherwise no value and `launch` filled.
    static std::optional<int> CheckCommandLine(int argc, const char* const* argv, CMorvaneDlg::Launch& launch);

    /// Before the application exists: status 1 with a message naming
    /// morvane-cli when there is no display to show a window on.
    static std::optional<int> CheckDisplay();

    /// Runs the main window until it ends; the process's exit code.
    int Run(const CMorvaneDlg::Launch& launch);
};
