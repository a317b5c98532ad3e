#include "app/WinTesselTestApp.h"

int main(int argc, char** argv) {
    CWinTesselTestApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    return CWinTesselTestApp::exec();
}
