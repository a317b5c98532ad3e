#include "files/StandardDescriptors.h"
#include "gui/WinTesselTestApp.h"

#include <QStringList>

int main(int argc, char** argv) {
    // Before Qt opens its display connection: with standard error closed, the connection
    // would take its number and the program's messages would be written into it.
    ReopenClosedStandardDescriptors();
    // --help, --version and a bad command line are answered before Qt sets up its
    // platform, which needs (and warns about) a desktop session they don't use.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (const std::optional<int> status = CWinTesselTestApp::AnswerWithoutStarting(arguments)) {
        return *status;
    }
    CWinTesselTestApp::PreparePlatform(argc, argv);
    CWinTesselTestApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    return CWinTesselTestApp::exec();
}
