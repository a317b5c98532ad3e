#pragma once

#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "services/MidiServices.h"
#include "stats/StripStats.h"

// The process-wide state a fresh program starts with, for the span of a test: the log
// and its observer, the input rings, the decoder, the port layer, the statistics work
// area, and the device services in use. Whatever a test leaves behind (services on the
// stack, an observer, lines, counters) is gone before the next one starts, even when an
// assertion ends the test early.
class ProcessStateGuard {
public:
    explicit ProcessStateGuard(MidiServices* services = nullptr) {
        Reset();
        if (services != nullptr) {
            SetMidiServices(services);
        }
    }
    ~ProcessStateGuard() {
        SetMidiServices(nullptr);
        Reset();
    }
    ProcessStateGuard(const ProcessStateGuard&) = delete;
    ProcessStateGuard& operator=(const ProcessStateGuard&) = delete;

    static void Reset() {
        MessageLog.SetObserver(nullptr);
        MessageLog.Clear();
        ResetInputRings();
        ResetSysexDecoder();
        ResetMidiPortLayer();
        StripStatsWork = StripStatsWorkArea{};
    }
};
