#include "gui/DemoStart.h"

#include "gui/WinTesselTestView.h"
#include "scanner/SessionPorts.h"
#include "services/DeviceLookup.h"

bool StartDemo(CWinTesselTestView& view, QString* error) {
    const std::vector<std::string> inputs = InputDeviceNames();
    const std::vector<std::string> outputs = OutputDeviceNames();
    std::string why;
    const int input = ChooseDevice(inputs, std::string(), "input", &why);
    const int output = ChooseDevice(outputs, std::string(), "output", &why);
    if (input < 0 || output < 0) {
        *error = QString::fromStdString(why);
        return false;
    }
    switch (OpenSessionPorts(view, inputs, input, outputs, output)) {
    case SessionPortFailure::Input:
        *error = QStringLiteral("the QZ4 Simulator's input could not be opened");
        return false;
    case SessionPortFailure::Output:
        *error = QStringLiteral("the QZ4 Simulator's output could not be opened");
        return false;
    case SessionPortFailure::None:
        break;
    }
    view.OnGetSetupInformation();
    view.StartPollTimer();
    view.update();
    return true;
}
