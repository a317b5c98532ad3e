#include "ports/SendLongMessage.h"

#include "ports/MidiPortLayer.h"
#include "ports/OutputMessagePool.h"

void SendLongMessage(uint32_t n, const uint8_t* bytes) {
    MidiServices& services = CurrentMidiServices();
    OutputMessages.Reclaim(services);
    if (bytes == nullptr) {
        return;
    }
    MidiHeader* header = OutputMessages.Store(bytes, n + 2, MidiOutHandle);
    header->dwBytesRecorded = n;
    header->dwFlags = 0;
    header->dwUser = 0;
    services.OutPrepareHeader(MidiOutHandle, header);
    if (services.OutLongMsg(MidiOutHandle, header) != MidiResult::NoError) {
        services.OutUnprepareHeader(MidiOutHandle, header);
        OutputMessages.Release(header);
    }
}
