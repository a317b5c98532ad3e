#pragma once

#include "services/MidiServices.h"

// What a backend's output device does with a message; the rest of an output port is
// the same for every backend and lives in OutputPort.
class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // Gives the header's bytes to the device. A device that is not done with them when
    // this returns holds the header until it is.
    virtual MidiResult Transmit(MidiHeader& header) = 0;
    virtual bool Holds(const MidiHeader* /*header*/) const { return false; }
    virtual bool HoldsAny() const { return false; }
    // Closes the device; the port stays open when this fails.
    virtual MidiResult Release() { return MidiResult::NoError; }
};

// One output port's handle and the rules of its headers, shared by every backend so
// that all of them answer a call alike:
// - a header without bytes (a null pointer or a length of 0) is refused with
//   InvalidParameter when prepared and when sent: an empty message is no message;
// - a null header is InvalidParameter everywhere;
// - a header the device still holds can't be unprepared (StillPlaying), and the port
//   can't be closed while the device holds any;
// - a call with a handle other than the open one is InvalidHandle.
// Window thread only.
class OutputPort {
public:
    explicit OutputPort(OutputDevice& device) : m_device(device) {}

    MidiHandle Handle() const { return m_handle; }
    // Refuses a missing handle pointer and a second open; otherwise the port is open
    // under `newHandle`, which the caller's device has opened.
    MidiResult Open(MidiHandle* handle, MidiHandle newHandle);
    MidiResult Prepare(MidiHandle handle, MidiHeader* header);
    MidiResult Unprepare(MidiHandle handle, MidiHeader* header);
    MidiResult Send(MidiHandle handle, MidiHeader* header);
    MidiResult Close(MidiHandle handle);

private:
    bool Owns(MidiHandle handle) const { return handle != 0 && handle == m_handle; }
    static bool HasBytes(const MidiHeader& header) {
        return header.lpData != nullptr && header.dwBufferLength != 0;
    }

    OutputDevice& m_device;
    MidiHandle m_handle = 0;
};
