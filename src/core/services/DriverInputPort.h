#pragma once

#include "services/DriverThread.h"
#include "services/InputPort.h"

// The input device of a backend that plays its own driver on a DriverThread (the
// simulator, the scripted test backend): its driver hands input to the port on that
// thread, where the port delivers its own events too, so a delivery never runs beside an
// event of the port's and a close has nothing of the device's to wait for. The port's
// state is written on the driver thread, in jobs the calling thread waits for, so the
// window thread sees it settled after each call.
class DriverInputPort final : private InputDevice {
public:
    explicit DriverInputPort(DriverThread& thread) : m_port(*this, thread) {}

    // Headers, starting, resetting, closing, and the input the driver hands over, by the
    // rules every backend shares.
    InputPort& Port() { return m_port; }
    const InputPort& Port() const { return m_port; }

private:
    InputPort m_port;
};
