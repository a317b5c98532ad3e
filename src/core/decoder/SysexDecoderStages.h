#pragma once

#include "scanner/ScannerState.h"

#include <cstdint>

// The pieces of ProcessMidiInput. Each frame handler reads FrameBuffer, whose F7 stands
// at position `length`; positions past it still hold bytes of earlier frames.

// Stage 1: cuts every byte that has arrived into frames and dispatches each at its F7.
void ConsumeInputBytes(ScannerState& state);
void DispatchFrame(ScannerState& state, int32_t length);

void AddTextCharacter(uint8_t character);
void StoreSetupText(ScannerState& state, int32_t length);
void StoreScanData(ScannerState& state, int32_t length);
void StoreSetupInformation(ScannerState& state, int32_t length);

// Stage 2: lines for MIDI errors and for the end of a close.
void RunEventDiagnostics();
