#include "decoder/SysexFraming.h"
#include "decoder/SysexDecoderStages.h"
#include "decoder/SysexDecoderState.h"
#include "ports/InputRings.h"

#include <cstring>

namespace {

constexpr uint8_t kEndOfExclusive = 0xF7;

ConsumedBytesSink ByteSink = nullptr;
void* ByteSinkContext = nullptr;

void AddToFrame(const uint8_t* bytes, int32_t count) {
    // Past the end of FrameBuffer the surplus is discarded; the frame is dropped at its F7.
    const int32_t room = kFrameBufferSize - FrameLength;
    const int32_t kept = count < room ? count : room;
    std::memcpy(FrameBuffer + FrameLength, bytes, static_cast<size_t>(kept));
    FrameLength += kept;
}

void EndFrame(ScannerState& state) {
    if (FrameLength < kFrameBufferSize) {
        FrameBuffer[FrameLength] = kEndOfExclusive;
        DispatchFrame(state, FrameLength);
    }
    FrameLength = 0;
}

// Only F7 ends a frame; nothing looks for F0, so stray bytes start the next frame.
void FrameBytes(ScannerState& state, const uint8_t* bytes, int32_t count) {
    while (count > 0) {
        const void* end = std::memchr(bytes, kEndOfExclusive, static_cast<size_t>(count));
        if (end == nullptr) {
            AddToFrame(bytes, count);
            return;
        }
        const int32_t body = static_cast<int32_t>(static_cast<const uint8_t*>(end) - bytes);
        AddToFrame(bytes, body);
        EndFrame(state);
        bytes += body + 1;
        count -= body + 1;
    }
}

} // namespace

void SetConsumedBytesSink(ConsumedBytesSink sink, void* context) {
    ByteSink = sink;
    ByteSinkContext = context;
}

void ConsumeInputBytes(ScannerState& state) {
    uint32_t read = ByteReadCount.load(std::memory_order_relaxed);
    // The write count is read again after each stretch, so bytes that arrive during the
    // run are consumed too. A stretch ends at the write count or at the ring's end.
    for (;;) {
        const uint32_t write = ByteWriteCount.load(std::memory_order_acquire);
        if (read == write) {
            return;
        }
        const uint32_t start = read & (kInputByteRingSize - 1);
        const uint32_t toRingEnd = kInputByteRingSize - start;
        const uint32_t pending = write - read;
        const uint32_t count = pending < toRingEnd ? pending : toRingEnd;
        if (ByteSink != nullptr) {
            ByteSink(ByteSinkContext, InputByteRing + start, count);
        }
        FrameBytes(state, InputByteRing + start, static_cast<int32_t>(count));
        read += count;
        ByteReadCount.store(read, std::memory_order_release);
    }
}
