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

    /// Reads the command line: "--input FILE" (or "--input=FILE") plays a
    /// recording in place of the sound card, "--fast" plays it as fast as the
    /// window keeps up; "/s0" … "/s5" anywhere choose the card; other
    /// arguments are ignored; "--help" asks for the usage. Returns no value
    /// and sets `error` when "--input" lacks its file.
    static std::optional<CMorvaneDlg::Launch> ParseCommandLine(int argc, const char* const* argv, std::string& error);

    /// Parses and checks the command line before any window exists: an exit
    /// code when the program should end at once (usage printed, a missing
    /// recording reported), otherwise no value and `launch` filled.
    static std::optional<int> CheckCommandLine(int argc, const char* const* argv, CMorvaneDlg::Launch& launch);

    /// Runs the main window until it ends; the process's exit code.
    int Run(const CMorvaneDlg::Launch& launch);
};
