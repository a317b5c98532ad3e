#include "files/StandardDescriptors.h"
#include "gui/WinTesselTestApp.h"

int main(int argc, char** argv) {
    // Before Qt opens its display connection: with standard error closed, the connection
    // would take its number and the program's messages would be written into it.
    ReopenClosedStandardDescriptors();
    CWinTesselTestApp::PreparePlatform(argc, argv);
    CWinTesselTestApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    return CWinTesselTestApp::exec();
}
