// Feeds arbitrary bytes to the SysEx decoder the way the MIDI input callback hands them
// over, with MIDI error, short-message and close events mixed in, and checks that the
// decoder consumes everything and stays inside its buffers.
//
// Input: one schedule byte, then the raw MIDI byte stream. The schedule seeds the choice
// of long-data event sizes (0 to 512 bytes), of the other events put between them and of
// the moments a poll tick runs the decoder.

#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiMessageKinds.h"
#include "scanner/ScannerView.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

class FuzzView : public ScannerView {
protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t) override { return id; }
    void PlatformKillTimer(uint32_t) override {}
    void InvalidateView() override {}
};

class Schedule {
public:
    explicit Schedule(uint8_t seed) : m_state(0x9E3779B9u ^ (seed * 0x01000193u)) {}
    uint32_t Next(uint32_t bound) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % bound;
    }

private:
    uint32_t m_state;
};

void Record(ScannerView& view, uint32_t kind, const uint8_t* bytes, uint32_t count) {
    const CallbackEvent event{0, count, kind, 0, 0};
    if (!RecordInputEvent(event, bytes, count)) {
        view.ProcessMidiInput(); // a tick makes room, as it would for the callback
        if (!RecordInputEvent(event, bytes, count)) {
            __builtin_trap();
        }
    }
}

void CheckDecoderInvariants(const ScannerView& view) {
    const bool consumed = ByteReadCount.load() == ByteWriteCount.load() &&
                          EventReadCount.load() == EventWriteCount.load();
    const bool inBounds = FrameLength >= 0 && FrameLength <= kFrameBufferSize &&
                          TextLineLength >= 0 && TextLineLength < kTextLineSize &&
                          view.m_scanLength >= 0 && view.m_scanLength <= ScannerState::kValues;
    if (!consumed || !inBounds) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    ResetInputRings();
    ResetSysexDecoder();
    MessageLog.Clear();
    auto view = std::make_unique<FuzzView>();

    Schedule schedule(data[0]);
    const uint8_t* bytes = data + 1;
    size_t left = size - 1;
    while (left > 0) {
        switch (schedule.Next(8)) {
        case 0:
            Record(*view, kMimError, nullptr, 0);
            break;
        case 1:
            Record(*view, kMimData, nullptr, 0);
            break;
        case 2:
            InputClosing = 1;
            Record(*view, kMimLongData, nullptr, 0);
            break;
        case 3:
            view->ProcessMidiInput();
            CheckDecoderInvariants(*view);
            break;
        default: {
            const size_t wanted = schedule.Next(513);
            const auto count = static_cast<uint32_t>(wanted < left ? wanted : left);
            Record(*view, kMimLongData, bytes, count);
            bytes += count;
            left -= count;
            break;
        }
        }
    }
    view->ProcessMidiInput();
    CheckDecoderInvariants(*view);
    return 0;
}
