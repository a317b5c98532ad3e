#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "services/MidiServices.h"

// Runs on the MIDI driver thread: no allocation, no lock, no Qt.
void MidiInCallback(MidiHandle handle, uint32_t message, uintptr_t instance, uintptr_t dwParam1,
                    uintptr_t dwParam2) noexcept {
    CallbackEvent event{static_cast<uint32_t>(dwParam2), static_cast<uint32_t>(dwParam1), message,
                        static_cast<uint32_t>(instance), handle};
    if (message != kMimLongData && message != kMimLongError) {
        RecordInputEvent(event, nullptr, 0);
        return;
    }

    // A returned buffer: the header's address does not fit the ring's 32 bits, and
    // the bytes it recorded are what a reader wants to know.
    MidiHeader* header = reinterpret_cast<MidiHeader*>(dwParam1);
    const bool closing = InputClosing.load(std::memory_order_acquire) != 0;
    uint32_t count = header->dwBytesRecorded;
    if (count > header->dwBufferLength) {
        count = header->dwBufferLength;
    }
    event.dwParam1 = count;
    // A long-data error carries an incomplete message: recorded, its bytes not kept.
    RecordInputEvent(event, header->lpData, message == kMimLongData ? count : 0);

    MidiServices& services = CurrentMidiServices();
    if (closing) {
        services.InUnprepareHeader(handle, header);
        return;
    }
    // Queued again whether or not the rings had room, so input goes on.
    header->dwFlags = 0;
    header->lpData = InputBuffer;
    services.InPrepareHeader(handle, header);
    services.InAddBuffer(handle, header);
}

void MidiOutCallback(MidiHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}
