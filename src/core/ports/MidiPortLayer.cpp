#include "ports/MidiPortLayer.h"

#include "ports/OutputMessagePool.h"

#include <cstring>

MidiHandle MidiInHandle;
MidiHandle MidiOutHandle;
MidiInCaps InputCaps;
MidiOutCaps OutputCaps;
uint8_t InputBuffer[kInputBufferBytes];
MidiHeader InputHeader;

void ResetMidiPortLayer() {
    MidiInHandle = 0;
    MidiOutHandle = 0;
    std::memset(&InputCaps, 0, sizeof InputCaps);
    std::memset(&OutputCaps, 0, sizeof OutputCaps);
    std::memset(InputBuffer, 0, sizeof InputBuffer);
    InputHeader = MidiHeader{};
    OutputMessages.Clear();
}
