#include "ports/InputRings.h"

#include <cstring>

uint8_t InputByteRing[kInputByteRingSize];
std::atomic<uint32_t> ByteWriteCount;
std::atomic<uint32_t> ByteReadCount;
CallbackEvent CallbackEventRing[kCallbackEventRingSize];
std::atomic<uint32_t> EventWriteCount;
std::atomic<uint32_t> EventReadCount;
std::atomic<uint32_t> InputBytesLost;
std::atomic<uint32_t> InputEventsLost;
std::atomic<int32_t> InputClosing;

bool RecordInputEvent(const CallbackEvent& event, const uint8_t* bytes,
                      uint32_t byteCount) noexcept {
    const uint32_t eventWrite = EventWriteCount.load(std::memory_order_relaxed);
    const uint32_t byteWrite = ByteWriteCount.load(std::memory_order_relaxed);
    const uint32_t eventsQueued = eventWrite - EventReadCount.load(std::memory_order_acquire);
    const uint32_t bytesQueued = byteWrite - ByteReadCount.load(std::memory_order_acquire);
    if (eventsQueued >= kCallbackEventRingSize || byteCount > kInputByteRingSize - bytesQueued) {
        InputEventsLost.fetch_add(1, std::memory_order_relaxed);
        InputBytesLost.fetch_add(byteCount, std::memory_order_relaxed);
        return false;
    }

    // The bytes may wrap around the end of the ring: copy in at most two pieces.
    const uint32_t start = byteWrite & (kInputByteRingSize - 1);
    const uint32_t firstPiece =
        byteCount < kInputByteRingSize - start ? byteCount : kInputByteRingSize - start;
    if (byteCount > 0) {
        std::memcpy(InputByteRing + start, bytes, firstPiece);
        std::memcpy(InputByteRing, bytes + firstPiece, byteCount - firstPiece);
    }
    ByteWriteCount.store(byteWrite + byteCount, std::memory_order_release);

    // The event becomes visible only with its bytes already in the byte ring.
    CallbackEventRing[eventWrite & (kCallbackEventRingSize - 1)] = event;
    EventWriteCount.store(eventWrite + 1, std::memory_order_release);
    return true;
}

void ResetInputRings() {
    std::memset(InputByteRing, 0, sizeof InputByteRing);
    std::memset(CallbackEventRing, 0, sizeof CallbackEventRing);
    ByteWriteCount = 0;
    ByteReadCount = 0;
    EventWriteCount = 0;
    EventReadCount = 0;
    InputBytesLost = 0;
    InputEventsLost = 0;
    InputClosing = 0;
}
