#include "decoder/SysexDecoderStages.h"
#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "services/MidiServices.h"

#include <cstdio>

void RunEventDiagnostics() {
    uint32_t read = EventReadCount.load(std::memory_order_relaxed);
    while (read != EventWriteCount.load(std::memory_order_acquire)) {
        const CallbackEvent event = CallbackEventRing[read & (kCallbackEventRingSize - 1)];
        ++read;
        EventReadCount.store(read, std::memory_order_release);

        switch (event.message) {
        case kMimError:
            MidiErrorSeen = 1;
            std::snprintf(DiagLine, kDiagLineSize, "%s BAD BAD BAD BAD MIDI ERROR #%03d", "",
                          MidiErrorCount);
            MidiErrorCount = static_cast<int32_t>(static_cast<uint32_t>(MidiErrorCount) + 1u);
            MessageLog.AppendText(DiagLine);
            break;
        case kMimData:
            // One line per burst of errors, at the first short message after it.
            if (MidiErrorSeen == 1) {
                MidiErrorSeen = 0;
                std::snprintf(DiagLine, kDiagLineSize,
                              "%s SUSPECTED BAD Midi PACKET repeated below ", "");
                MessageLog.AppendText(DiagLine);
            }
            break;
        case kMimLongData:
            // The bytes were framed in stage 1; what is left is the end of a close.
            if (InputClosing.load(std::memory_order_relaxed) == 1) {
                std::snprintf(DiagLine, kDiagLineSize, "sysex Unprepare header function ");
                MessageLog.AppendText(DiagLine);
                InputClosing.store(0, std::memory_order_relaxed);
            }
            break;
        default:
            break;
        }
    }
}
