#include "decoder/SysexDecoderStages.h"
#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"

#include <cstdio>

namespace {

// Addresses, lengths and EEPROM data travel least significant nibble first; only the
// low 4 bits of each byte count.
uint32_t NibblesLsbFirst(int32_t position, int32_t count) {
    uint32_t value = 0;
    for (int32_t k = count - 1; k >= 0; --k) {
        value = (value << 4) | (FrameBuffer[position + k] & 0x0Fu);
    }
    return value;
}

void LogStagingLine() {
    MessageLog.AppendText(StagingLine);
}

void LogPeekRequest() {
    std::snprintf(StagingLine, kStagingLineSize, "EEPROM PEEK request length %04x ",
                  NibblesLsbFirst(3, 4));
    LogStagingLine();
}

void LogPokeRequest(int32_t length) {
    int32_t used =
        std::snprintf(StagingLine, kStagingLineSize, "EEPROM POKE Request address %05X length %04X",
                      NibblesLsbFirst(3, 5), NibblesLsbFirst(8, 4));
    // The line is cut where the staging line ends; the rest of the data is not formatted.
    for (int32_t p = 12; p < length && used < kStagingLineSize - 1; p += 2) {
        const unsigned data = ((FrameBuffer[p + 1] & 0x0Fu) << 4) | (FrameBuffer[p] & 0x0Fu);
        used += std::snprintf(StagingLine + used, static_cast<size_t>(kStagingLineSize - used),
                              " %2x", data);
    }
    LogStagingLine();
}

void LogPokeAcknowledge() {
    std::snprintf(StagingLine, kStagingLineSize, "EEPROM POKE Acknowledge length %04x",
                  NibblesLsbFirst(3, 4));
    LogStagingLine();
}

void LogUnknownHeader(uint32_t header) {
    std::snprintf(StagingLine, kStagingLineSize,
                  "unimplemented or undefined wendmoor/corvane sysex number %6x", header);
    LogStagingLine();
}

} // namespace

void DispatchFrame(ScannerState& state, int32_t length) {
    // A frame shorter than its header reads the F7 and bytes left by earlier frames here,
    // which never form a known header.
    const uint32_t header =
        (uint32_t{FrameBuffer[0]} << 16) | (uint32_t{FrameBuffer[1]} << 8) | FrameBuffer[2];
    switch (header) {
    case 0xF00910:
        AddTextCharacter(FrameBuffer[3]);
        break;
    case 0xF00911:
        StoreSetupText(state, length);
        break;
    case 0xF00912:
    case 0xF00913:
        break;
    case 0xF00915:
        StoreScanData(state, length);
        break;
    case 0xF00927:
    case 0xF0092A:
        MessageLog.AppendText("eeprom dump no argument");
        break;
    case 0xF0092F:
        LogPeekRequest();
        break;
    case 0xF00930:
        StoreSetupInformation(state, length);
        break;
    case 0xF00931:
        LogPokeRequest(length);
        break;
    case 0xF00932:
        LogPokeAcknowledge();
        break;
    default:
        LogUnknownHeader(header);
        break;
    }
}
