// The input side of the MIDI port layer: one input callback carrying a full 512-byte
// buffer (recorded into the rings and queued again), and one decoder pass that drains
// both rings when they are full.

#include "BenchView.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "scanner/ScannerView.h"
#include "services/HeaderQueue.h"
#include "services/MidiServices.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

// Just the buffer calls the callback makes, kept the way every backend keeps them.
class BufferOnlyServices final : public MidiServices {
public:
    HeaderQueue queued;

    uint32_t InGetNumDevs() override { return 0; }
    MidiResult InGetDevCaps(uint32_t, MidiInCaps*) override { return MidiResult::BadDeviceId; }
    MidiResult InOpen(MidiHandle*, uint32_t, MidiInProc, uintptr_t) override {
        return MidiResult::BadDeviceId;
    }
    MidiResult InStart(MidiHandle) override { return MidiResult::NoError; }
    MidiResult InPrepareHeader(MidiHandle, MidiHeader* header) override {
        header->dwFlags |= kMidiHeaderPrepared;
        return MidiResult::NoError;
    }
    MidiResult InUnprepareHeader(MidiHandle, MidiHeader* header) override {
        header->dwFlags &= ~kMidiHeaderPrepared;
        return MidiResult::NoError;
    }
    MidiResult InAddBuffer(MidiHandle, MidiHeader* header) override {
        return queued.Add(header) ? MidiResult::NoError : MidiResult::NoMemory;
    }
    MidiResult InReset(MidiHandle) override { return MidiResult::NoError; }
    MidiResult InClose(MidiHandle) override { return MidiResult::NoError; }
    uint32_t OutGetNumDevs() override { return 0; }
    MidiResult OutGetDevCaps(uint32_t, MidiOutCaps*) override { return MidiResult::BadDeviceId; }
    MidiResult OutOpen(MidiHandle*, uint32_t, MidiOutProc, uintptr_t) override {
        return MidiResult::BadDeviceId;
    }
    MidiResult OutPrepareHeader(MidiHandle, MidiHeader*) override { return MidiResult::NoError; }
    MidiResult OutUnprepareHeader(MidiHandle, MidiHeader*) override { return MidiResult::NoError; }
    MidiResult OutLongMsg(MidiHandle, MidiHeader*) override { return MidiResult::NoError; }
    MidiResult OutClose(MidiHandle) override { return MidiResult::NoError; }
};

void BM_InputCallback512Bytes(benchmark::State& state) {
    ResetInputRings();
    BufferOnlyServices services;
    SetMidiServices(&services);
    InputHeader = MidiHeader{InputBuffer, kInputBufferBytes, 0, 0, 0};
    std::memset(InputBuffer, 0x05, sizeof InputBuffer);
    services.InPrepareHeader(1, &InputHeader);
    services.InAddBuffer(1, &InputHeader);

    for (auto _ : state) {
        // What the driver does before it calls back: take the buffer, fill in the count.
        MidiHeader* header = services.queued.Take();
        header->dwBytesRecorded = kInputBufferBytes;
        MidiInCallback(1, kMimLongData, 0, reinterpret_cast<uintptr_t>(header), 0);
        // The reader keeps up, so every call records: two stores of the read counts.
        ByteReadCount.store(ByteWriteCount.load(std::memory_order_relaxed),
                            std::memory_order_release);
        EventReadCount.store(EventWriteCount.load(std::memory_order_relaxed),
                             std::memory_order_release);
    }
    state.SetBytesProcessed(state.iterations() * kInputBufferBytes);
    SetMidiServices(nullptr);
    if (InputEventsLost.load() != 0) {
        state.SkipWithError("events were dropped");
    }
}
BENCHMARK(BM_InputCallback512Bytes);

// 33 scan frames of 122 values and one 8-byte ignored packet: 8192 bytes, whole frames.
std::vector<uint8_t> FullRingOfScans() {
    std::vector<uint8_t> bytes;
    for (int frame = 0; frame < 33; ++frame) {
        bytes.insert(bytes.end(), {0xF0, 0x09, 0x15});
        for (int value = 0; value < 122; ++value) {
            bytes.push_back(static_cast<uint8_t>((value + frame) >> 4 & 0x0F));
            bytes.push_back(static_cast<uint8_t>((value + frame) & 0x0F));
        }
        bytes.push_back(0xF7);
    }
    bytes.insert(bytes.end(), {0xF0, 0x09, 0x12, 0x00, 0x00, 0x00, 0x00, 0xF7});
    return bytes;
}

// Both rings full: the 8192 bytes in 16 long-data events, then 496 short-data events.
void FillBothRings(const std::vector<uint8_t>& bytes) {
    for (uint32_t at = 0; at < bytes.size(); at += kInputBufferBytes) {
        RecordInputEvent(CallbackEvent{0, kInputBufferBytes, kMimLongData, 0, 1}, bytes.data() + at,
                         kInputBufferBytes);
    }
    while (EventWriteCount.load() - EventReadCount.load() < kCallbackEventRingSize) {
        RecordInputEvent(CallbackEvent{0, 0x403C90, kMimData, 0, 1}, nullptr, 0);
    }
}

void BM_DrainFullRings(benchmark::State& state) {
    ResetInputRings();
    MessageLog.Clear();
    BenchView view;
    const std::vector<uint8_t> bytes = FullRingOfScans();

    for (auto _ : state) {
        state.PauseTiming();
        FillBothRings(bytes);
        state.ResumeTiming();
        view.ProcessMidiInput();
    }
    state.SetBytesProcessed(state.iterations() * kInputByteRingSize);
    if (InputEventsLost.load() != 0 || view.m_scanLength != 122) {
        state.SkipWithError("the rings were not drained as expected");
    }
}
BENCHMARK(BM_DrainFullRings);

} // namespace
