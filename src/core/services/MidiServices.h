#pragma once

#include "services/MidiResult.h"

#include <cstdint>
#include <string>

// Kinds of input callback events, with the values the platform's MIDI services use.
constexpr uint32_t kMimOpen = 0x3C1;
constexpr uint32_t kMimClose = 0x3C2;
constexpr uint32_t kMimData = 0x3C3;
constexpr uint32_t kMimLongData = 0x3C4;
constexpr uint32_t kMimError = 0x3C5;
constexpr uint32_t kMimLongError = 0x3C6;
constexpr uint32_t kMimMoreData = 0x3CC;

// The device services the port layer stands on, shaped like the platform's MIDI
// services: device counts and capabilities, open with a callback, start, buffers lent
// to the input driver, reset, close, long messages and error texts. Backends: the real
// MIDI system (RtMidi), the built-in QZ4 simulator, a scripted one for tests, and a
// composite that lists one backend's devices after the other's.
//
// Event contract towards an input callback, the same for every backend:
// - open gives kMimOpen, close gives kMimClose;
// - a received SysEx message returns the queued buffer with its bytes as kMimLongData
//   (dwParam1 is the MidiHeader*); a message longer than the buffer comes back over
//   several returns, in order, each needing the buffer queued again;
// - a short message gives kMimData with the packed message in dwParam1;
// - a driver or transport error gives kMimError;
// - reset returns every queued buffer with 0 bytes as kMimLongData;
// - the callback runs on a thread other than the window thread, never on two threads
//   at once, and never after the close that ends the port has returned.
// dwParam2 carries the milliseconds since the input was started.

using MidiHandle = uint32_t; // 0 is no port

// Flags of MidiHeader::dwFlags, with the platform's values.
constexpr uint32_t kMidiHeaderDone = 0x1;
constexpr uint32_t kMidiHeaderPrepared = 0x2;
constexpr uint32_t kMidiHeaderInQueue = 0x4;

struct MidiHeader {
    uint8_t* lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
};

constexpr int kMidiDeviceNameBytes = 128; // real port names are long

struct MidiInCaps {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char szPname[kMidiDeviceNameBytes];
    uint32_t dwSupport;
};

struct MidiOutCaps {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char szPname[kMidiDeviceNameBytes];
    uint16_t wTechnology;
    uint16_t wVoices;
    uint16_t wNotes;
    uint16_t wChannelMask;
    uint32_t dwSupport;
};

using MidiInProc = void (*)(MidiHandle handle, uint32_t message, uintptr_t instance,
                            uintptr_t dwParam1, uintptr_t dwParam2);
using MidiOutProc = MidiInProc;

class MidiServices {
public:
    virtual ~MidiServices() = default;

    virtual uint32_t InGetNumDevs() = 0;
    // Leaves `caps` untouched when the device does not exist.
    virtual MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) = 0;
    virtual MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                              uintptr_t instance) = 0;
    virtual MidiResult InStart(MidiHandle handle) = 0;
    // The three buffer calls are made from inside the input callback as well: in
    // every backend they allocate nothing and take no lock.
    virtual MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) = 0;
    virtual MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) = 0;
    virtual MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) = 0;
    // Stops input and returns the queued buffers; returns when they have been returned.
    virtual MidiResult InReset(MidiHandle handle) = 0;
    // Fails with StillPlaying while a buffer is queued.
    virtual MidiResult InClose(MidiHandle handle) = 0;

    virtual uint32_t OutGetNumDevs() = 0;
    virtual MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) = 0;
    // The output callback is accepted for the shape of the call; the end of a send
    // shows in OutUnprepareHeader, which answers StillPlaying until the device is done
    // with the header and its bytes.
    virtual MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                               uintptr_t instance) = 0;
    virtual MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) = 0;
    virtual MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) = 0;
    // Sends the dwBufferLength bytes at lpData as one message.
    virtual MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) = 0;
    virtual MidiResult OutClose(MidiHandle handle) = 0;

    // Why the real MIDI system lists no device, or empty when it could be reached.
    virtual std::string UnavailableReason() const { return {}; }

    // Writes the text of `result` into `text`, cut to `size` bytes with its terminator.
    static MidiResult GetErrorText(MidiResult result, char* text, uint32_t size);
};

// The services of the process, like the platform's global MIDI API. Each program's
// main() and each test installs its own; nullptr puts back the built-in services,
// which list no device. The pointer is read on the driver thread too.
void SetMidiServices(MidiServices* services);
MidiServices& CurrentMidiServices();
