#pragma once

#include "services/InputPort.h"
#include "services/MidiResult.h"

#include <RtMidi.h>

#include <memory>
#include <string>

// One input connection of the real MIDI system, made the way its API needs: it opens on
// a source, hands each message to its InputPort (InputPort::Receive) on the system's own
// thread as it comes, and closes. The client it makes is kept for later opens.
class SystemInputDevice {
public:
    virtual ~SystemInputDevice() = default;

    // Opens source `index`, which the last listing named `expectedName`; a source that
    // is gone or renamed since, or a warning while opening, fails the open.
    virtual MidiResult Open(unsigned index, const std::string& expectedName) = 0;
    // Disconnects from the source; a delivery already begun may still be running.
    virtual void Close() = 0;
    // The MIDI system went away: the client is abandoned, never called again; the next
    // open makes a new one.
    virtual void Abandon() = 0;
};

// The connection for `api`: RtMidi's own, or on JACK a receiver of ours, which hands the
// bytes over as they come (RtMidi's JACK input gathers a SysEx whole, without limit).
std::unique_ptr<SystemInputDevice> MakeSystemInputDevice(RtMidi::Api api, InputPort& port);
