#include "app/CMorvaneApp.h"

int main(int argc, char** argv) {
    CMorvaneDlg::Launch launch;
    if (const auto exitCode = CMorvaneApp::CheckCommandLine(argc, argv, launch))
        return *exitCode;
    CMorvaneApp app(argc, argv);
    return app.Run(launch);
}
