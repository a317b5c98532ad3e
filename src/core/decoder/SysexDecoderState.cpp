#include "decoder/SysexDecoderState.h"

#include <cstring>

uint8_t FrameBuffer[kFrameBufferSize];
int32_t FrameLength;
char TextLine[kTextLineSize];
int32_t TextLineLength;
char StagingLine[kStagingLineSize];
char DiagLine[kDiagLineSize];
int32_t MidiErrorCount;
int32_t MidiErrorSeen;

void ResetSysexDecoder() {
    std::memset(FrameBuffer, 0, sizeof FrameBuffer);
    FrameLength = 0;
    std::memset(TextLine, 0, sizeof TextLine);
    TextLineLength = 0;
    std::memset(StagingLine, 0, sizeof StagingLine);
    std::memset(DiagLine, 0, sizeof DiagLine);
    MidiErrorCount = 0;
    MidiErrorSeen = 0;
}
