#pragma once

#include "services/DriverInputPort.h"
#include "services/DriverThread.h"
#include "services/MidiServices.h"
#include "services/OutputPort.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Device services whose behaviour a test writes: the devices listed, the result of
// the next open or close, devices that vanish, input injected as the driver would
// deliver it, and sends held in flight. Records what the window thread called and what
// the output sent. Events reach the input callback on a driver thread of its own.
class ScriptedMidiServices final : public MidiServices, private OutputDevice {
public:
    explicit ScriptedMidiServices(std::vector<std::string> inputs = {"Scripted In 0",
                                                                     "Scripted In 1"},
                                  std::vector<std::string> outputs = {"Scripted Out 0",
                                                                      "Scripted Out 1"});

    // The next call of that kind fails with `result` instead of doing anything.
    void FailNextInOpen(MidiResult result) { m_inOpenFailure = result; }
    void FailNextInClose(MidiResult result) { m_inCloseFailure = result; }
    void FailNextOutOpen(MidiResult result) { m_outOpenFailure = result; }
    void FailNextOutClose(MidiResult result) { m_outCloseFailure = result; }
    // The device stays listed as it was, but it is gone when it is opened.
    void VanishInput(uint32_t device);
    void VanishOutput(uint32_t device);
    // While held, a sent message stays in flight (its header lent to the device) until
    // CompleteHeldSends, which only then reads its bytes.
    void HoldSends(bool hold) { m_holdSends = hold; }
    void CompleteHeldSends();

    // Input as the driver delivers it; each returns once the callback has run for it.
    // Nothing arrives unless the input is open and started.
    void InjectShortMessage(uint32_t packed);
    void InjectError(uint32_t dwParam1);
    // Long data in returns of at most the queued buffer's length each.
    void InjectSysex(const std::vector<uint8_t>& bytes);
    void InjectLongError(const std::vector<uint8_t>& partial);
    // The driver reports an error once the input has its buffer queued, as from a device
    // that goes away while it is polled; on the caller's thread, so no test thread races
    // the port's own calls.
    void ReportErrorOnceReceiving(uint32_t dwParam1) { m_errorOnceReceiving = dwParam1; }

    // The messages the output device finished sending, in order.
    const std::vector<std::vector<uint8_t>>& Sent() const { return m_sent; }
    // The calls made outside the driver thread, in order ("InStart", "InAddBuffer", ...).
    const std::vector<std::string>& Calls() const { return m_calls; }
    int QueuedInputBuffers() const { return m_input.Port().QueuedBuffers(); }
    // Injected bytes that found no queued buffer.
    size_t InputBytesLost() const { return m_inputBytesLost; }
    bool InputOpen() const { return m_input.Port().IsOpen(); }

    uint32_t InGetNumDevs() override;
    MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) override;
    MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                      uintptr_t instance) override;
    MidiResult InStart(MidiHandle handle) override;
    MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) override;
    MidiResult InReset(MidiHandle handle) override;
    MidiResult InClose(MidiHandle handle) override;

    uint32_t OutGetNumDevs() override;
    MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) override;
    MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                       uintptr_t instance) override;
    MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_output.Prepare(handle, header);
    }
    MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) override {
        return m_output.Unprepare(handle, header);
    }
    MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutClose(MidiHandle handle) override;

private:
    MidiResult Transmit(MidiHeader& header) override;
    bool Holds(const MidiHeader* header) const override;
    bool HoldsAny() const override { return !m_held.empty(); }
    MidiResult Release() override { return TakeFailure(m_outCloseFailure); }

    struct Device {
        std::string name;
        bool vanished = false;
    };
    // Records a call unless it comes from inside the callback, which must not allocate.
    void Record(const char* call);
    static MidiResult TakeFailure(MidiResult& failure);

    std::vector<Device> m_inputs;
    std::vector<Device> m_outputs;
    MidiResult m_inOpenFailure = MidiResult::NoError;
    MidiResult m_inCloseFailure = MidiResult::NoError;
    MidiResult m_outOpenFailure = MidiResult::NoError;
    MidiResult m_outCloseFailure = MidiResult::NoError;
    bool m_holdSends = false;
    std::optional<uint32_t> m_errorOnceReceiving;
    OutputPort m_output{*this};
    MidiHandle m_lastHandle = 0;
    std::vector<MidiHeader*> m_held;
    std::vector<std::vector<uint8_t>> m_sent;
    std::vector<std::string> m_calls;
    size_t m_inputBytesLost = 0;

    DriverThread m_thread;
    DriverInputPort m_input{m_thread};
};
