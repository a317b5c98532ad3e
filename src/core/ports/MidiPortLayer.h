#pragma once

#include "services/MidiServices.h"

#include <cstdint>

// Process-wide state of the MIDI port layer, zero at start. The open and close
// operations are members of ScannerView; SendLongMessage is in SendLongMessage.h.

constexpr uint32_t kInputBufferBytes = 512;

extern MidiHandle MidiInHandle;
extern MidiHandle MidiOutHandle;
extern MidiInCaps InputCaps;   // filled at each input open; named in the open and close lines
extern MidiOutCaps OutputCaps; // filled at each output open and close
extern uint8_t InputBuffer[kInputBufferBytes]; // the one data area lent to the input driver
extern MidiHeader InputHeader;                 // its data pointer is always InputBuffer

// The callbacks given to the device services; the instance value is the view.
void MidiInCallback(MidiHandle handle, uint32_t message, uintptr_t instance, uintptr_t dwParam1,
                    uintptr_t dwParam2) noexcept;
void MidiOutCallback(MidiHandle handle, uint32_t message, uintptr_t instance, uintptr_t dwParam1,
                     uintptr_t dwParam2);

// Forgets handles, records and messages in flight. The program never does this; tests
// start from a clean process state with it, after closing what they opened.
void ResetMidiPortLayer();
