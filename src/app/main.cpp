#include "gui/WinTesselTestApp.h"

int main(int argc, char** argv) {
    CWinTesselTestApp::PreparePlatform(argc, argv);
    CWinTesselTestApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    return CWinTesselTestApp::exec();
}
