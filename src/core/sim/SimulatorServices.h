#pragma once

#include "services/DriverInputPort.h"
#include "services/DriverThread.h"
#include "services/MidiServices.h"
#include "services/OutputPort.h"
#include "sim/Qz4Model.h"
#include "sim/SimulatorOptions.h"

#include <atomic>
#include <cstdint>
#include <vector>

// The built-in QZ4: one input and one output device named "QZ4 Simulator". Every
// request that reaches its output is answered on the simulator's own thread after the
// latency, and the reply goes to its input when that is open and started; otherwise
// the reply is lost, as with an unplugged cable.
class SimulatorServices final : public MidiServices, private OutputDevice {
public:
    static constexpr const char* kDeviceName = "QZ4 Simulator";

    explicit SimulatorServices(const SimulatorOptions& options = {});

    // The model starts afresh with these options; requests already sent keep the old
    // latency.
    void SetOptions(const SimulatorOptions& options);
    // Replies that found the input closed (or no buffer queued).
    uint32_t RepliesLost() const { return m_repliesLost.load(std::memory_order_relaxed); }

    uint32_t InGetNumDevs() override { return 1; }
    MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) override;
    MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                      uintptr_t instance) override;
    MidiResult InStart(MidiHandle handle) override { return m_input.Port().Start(handle); }
    MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_input.Port().PrepareHeader(handle, header);
    }
    MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_input.Port().UnprepareHeader(handle, header);
    }
    MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) override {
        return m_input.Port().AddBuffer(handle, header);
    }
    MidiResult InReset(MidiHandle handle) override { return m_input.Port().Reset(handle); }
    MidiResult InClose(MidiHandle handle) override { return m_input.Port().Close(handle); }

    uint32_t OutGetNumDevs() override { return 1; }
    MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) override;
    MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                       uintptr_t instance) override;
    MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_output.Prepare(handle, header);
    }
    MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_output.Unprepare(handle, header);
    }
    MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) override {
        return m_output.Send(handle, header);
    }
    MidiResult OutClose(MidiHandle handle) override { return m_output.Close(handle); }

private:
    MidiResult Transmit(MidiHeader& header) override;
    void Answer(const std::vector<uint8_t>& request); // on the simulator's thread

    // Window thread only.
    OutputPort m_output{*this};
    MidiHandle m_lastHandle = 0;
    std::chrono::microseconds m_latency;

    Qz4Model m_model; // the simulator's thread only, once constructed
    std::atomic<uint32_t> m_repliesLost{0};

    // Last: the thread stops before the members its jobs use go away.
    DriverThread m_thread;
    DriverInputPort m_input{m_thread};
};
