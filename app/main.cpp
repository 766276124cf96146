#include "app/CMorvaneApp.h"

int main(int argc, char** argv) {
    CMorvaneApp app(argc, argv);
    return app.Run();
}
