#include "app/CMorvaneApp.h"

int main(int argc, char** argv) {
    CMorvaneDlg::Launch launch;
    if (const auto exitCode = CMorvaneApp::CheckCommandLine(argc, argv, launch))
        return *exitCode;
    if (const auto exitCode = CMorvaneApp::CheckDisplay())
        return *exitCode;
    CMorvaneApp app(argc, argv);
    return app.Run(launch);
}
