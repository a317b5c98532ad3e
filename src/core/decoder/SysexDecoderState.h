#pragma once

#include <cstdint>

// What the SysEx decoder keeps from one run to the next: a frame or a text line may be
// completed by bytes that arrive at a later tick. Process-wide, zero at start, window
// thread only.

constexpr int32_t kFrameBufferSize = 8192;
constexpr int32_t kTextLineSize = 1024;
// A poke request line with many data bytes is longer than a 128-byte line; the staging
// line holds as much as one Message log line can show.
constexpr int32_t kStagingLineSize = 512;
constexpr int32_t kDiagLineSize = 128;

extern uint8_t FrameBuffer[kFrameBufferSize];
// Bytes assembled since the last F7. It stops at kFrameBufferSize: a frame that reaches it
// without an F7 is too long and is dropped when its F7 comes.
extern int32_t FrameLength;
extern char TextLine[kTextLineSize];
extern int32_t TextLineLength;
extern char StagingLine[kStagingLineSize];
extern char DiagLine[kDiagLineSize];
extern int32_t MidiErrorCount;
extern int32_t MidiErrorSeen;

// Zeroes all of the above. The program never does this; tests and the fuzzer start
// each case from a fresh process state with it.
void ResetSysexDecoder();
