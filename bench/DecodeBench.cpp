// Decode throughput of ProcessMidiInput on a stream of 122-value scan frames, beside two
// references on the same bytes: a plain copy, and ALSA's byte-by-byte MIDI parser.
// How to run it and count instructions per byte: bench/README.md.

#include "BenchView.h"
#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "scanner/ScannerView.h"
#include "services/MidiServices.h"

#include <alsa/asoundlib.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kValuesPerScan = 122;
constexpr int kScanFrameBytes = 3 + 2 * kValuesPerScan + 1; // 248
constexpr int kScanFramesPerRing = kInputByteRingSize / kScanFrameBytes;
static_assert(kScanFramesPerRing == 33);

// 33 scan frames and one 8-byte ignored packet (command 0x12): exactly one ring's worth,
// so the ring can be decoded again and again without refilling it.
std::vector<uint8_t> RingOfScans() {
    std::vector<uint8_t> stream;
    uint32_t noise = 2024;
    for (int f = 0; f < kScanFramesPerRing; ++f) {
        stream.insert(stream.end(), {0xF0, 0x09, 0x15});
        for (int i = 0; i < kValuesPerScan; ++i) {
            noise = noise * 1103515245u + 12345u;
            const auto value = static_cast<uint8_t>(90 + i / 2 + (noise >> 16) % 5);
            stream.push_back(static_cast<uint8_t>(value >> 4));
            stream.push_back(static_cast<uint8_t>(value & 0x0F));
        }
        stream.push_back(0xF7);
    }
    stream.insert(stream.end(), {0xF0, 0x09, 0x12, 0x00, 0x00, 0x00, 0x00, 0xF7});
    return stream;
}

void SetCounters(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kInputByteRingSize);
    state.counters["frame"] =
        benchmark::Counter(kScanFramesPerRing, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

void BM_ProcessMidiInput(benchmark::State& state) {
    const std::vector<uint8_t> stream = RingOfScans();
    ResetInputRings();
    ResetSysexDecoder();
    auto view = std::make_unique<BenchView>();
    // Recorded once as the callback would; each iteration then hands the decoder the
    // same ring again by advancing the write count over it.
    for (size_t at = 0; at < stream.size(); at += 512) {
        const CallbackEvent event{0, 512, kMimLongData, 0, 0};
        RecordInputEvent(event, stream.data() + at, 512);
    }
    view->ProcessMidiInput();
    const int32_t firstScanCount = view->m_scanCount;
    const int32_t firstLogCount = MessageLog.LogCount;

    for (auto _ : state) {
        ByteWriteCount.fetch_add(kInputByteRingSize, std::memory_order_release);
        view->ProcessMidiInput();
        benchmark::DoNotOptimize(view->m_values);
    }
    if (view->m_scanCount - firstScanCount != state.iterations() * kScanFramesPerRing ||
        MessageLog.LogCount != firstLogCount) {
        state.SkipWithError("the ring did not decode into scans alone");
    }
    SetCounters(state);
}
BENCHMARK(BM_ProcessMidiInput);

void BM_Memcpy(benchmark::State& state) {
    const std::vector<uint8_t> stream = RingOfScans();
    std::vector<uint8_t> copy(stream.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), stream.data(), stream.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    SetCounters(state);
}
BENCHMARK(BM_Memcpy);

void BM_AlsaMidiEventEncodeByte(benchmark::State& state) {
    const std::vector<uint8_t> stream = RingOfScans();
    snd_midi_event_t* parser = nullptr;
    if (snd_midi_event_new(256, &parser) < 0) {
        state.SkipWithError("snd_midi_event_new failed");
        return;
    }
    snd_seq_event_t event{};
    int64_t events = 0;
    for (auto _ : state) {
        for (uint8_t byte : stream) {
            events += snd_midi_event_encode_byte(parser, byte, &event);
        }
        benchmark::DoNotOptimize(event);
    }
    snd_midi_event_free(parser);
    if (events != state.iterations() * (kScanFramesPerRing + 1)) {
        state.SkipWithError("ALSA did not see one event per frame");
    }
    SetCounters(state);
}
BENCHMARK(BM_AlsaMidiEventEncodeByte);

} // namespace
