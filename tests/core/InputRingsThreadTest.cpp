#include "ProcessStateGuard.h"
#include "TestView.h"
#include "ports/InputRings.h"
#include "services/MidiServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

// Event n carries n in dwParam1 and (n * 37) % 601 bytes, byte i being (n + i) & 0xFF:
// sizes cross the byte ring's end at ever different places.
uint32_t ByteCountOf(uint32_t n) {
    return (n * 37) % 601;
}
uint8_t ByteOf(uint32_t n, uint32_t i) {
    return static_cast<uint8_t>(n + i);
}

void FillEvent(uint32_t n, CallbackEvent& event, std::vector<uint8_t>& bytes) {
    event = CallbackEvent{0, n, kMimLongData, 0, 0};
    bytes.resize(ByteCountOf(n));
    for (uint32_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = ByteOf(n, i);
    }
}

// Reads as the decoder does: the write count first, then the entries below it.
// Returns the number of events read; counts each mismatch in `errors`.
uint32_t ReadAvailable(uint32_t expectedNext, uint32_t& errors) {
    const uint32_t eventsWritten = EventWriteCount.load(std::memory_order_acquire);
    uint32_t eventRead = EventReadCount.load(std::memory_order_relaxed);
    uint32_t byteRead = ByteReadCount.load(std::memory_order_relaxed);
    uint32_t n = expectedNext;
    for (; eventRead != eventsWritten; ++eventRead, ++n) {
        const CallbackEvent& event = CallbackEventRing[eventRead & (kCallbackEventRingSize - 1)];
        errors += event.dwParam1 != n ? 1 : 0;
        for (uint32_t i = 0; i < ByteCountOf(n); ++i, ++byteRead) {
            errors += InputByteRing[byteRead & (kInputByteRingSize - 1)] != ByteOf(n, i) ? 1 : 0;
        }
        ByteReadCount.store(byteRead, std::memory_order_release);
        EventReadCount.store(eventRead + 1, std::memory_order_release);
    }
    return n - expectedNext;
}

TEST(InputRingsThreads, AWriterAtFullSpeedLosesNothingThatFoundRoomAndKeepsTheOrder) {
    ProcessStateGuard state;
    constexpr uint32_t kEvents = 20000;
    std::atomic<uint32_t> refused{0};

    std::thread writer([&] {
        CallbackEvent event{};
        std::vector<uint8_t> bytes;
        for (uint32_t n = 0; n < kEvents; ++n) {
            FillEvent(n, event, bytes);
            // A refused event is offered again, so the stream read has no gaps.
            while (!RecordInputEvent(event, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
                refused.fetch_add(1, std::memory_order_relaxed);
            }
        }
    });
    uint32_t read = 0;
    uint32_t errors = 0;
    while (read < kEvents) {
        read += ReadAvailable(read, errors);
    }
    writer.join();

    EXPECT_EQ(read, kEvents);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(InputEventsLost.load(), refused.load());
    EXPECT_EQ(EventWriteCount.load(), kEvents);
}

TEST(InputRingsThreads, AReaderThatLagsFindsEveryEventThatFitAndExactLossCounts) {
    ProcessStateGuard state;
    // 600 events of 10 bytes: the event ring (512) fills before the byte ring (8192).
    constexpr uint32_t kEvents = 600;
    constexpr uint32_t kBytes = 10;

    std::thread writer([] {
        std::vector<uint8_t> bytes(kBytes);
        for (uint32_t n = 0; n < kEvents; ++n) {
            std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(n));
            RecordInputEvent(CallbackEvent{0, n, kMimLongData, 0, 0}, bytes.data(), kBytes);
        }
    });
    writer.join();

    EXPECT_EQ(InputEventsLost.load(), kEvents - 512);
    EXPECT_EQ(InputBytesLost.load(), (kEvents - 512) * kBytes);
    ASSERT_EQ(EventWriteCount.load(), 512u);
    for (uint32_t n = 0; n < 512; ++n) {
        EXPECT_EQ(CallbackEventRing[n].dwParam1, n);
        EXPECT_EQ(InputByteRing[n * kBytes + kBytes - 1], static_cast<uint8_t>(n));
    }
}

TEST(InputRingsThreads, WhenTheByteRingIsFullALongerEventIsDroppedWholeAndAShortOneStillFits) {
    ProcessStateGuard state;
    std::vector<uint8_t> bytes(500, 0x55);
    std::thread writer([&] {
        for (int i = 0; i < 16; ++i) { // 8000 of 8192 bytes
            RecordInputEvent(CallbackEvent{0, 500, kMimLongData, 0, 0}, bytes.data(), 500);
        }
        RecordInputEvent(CallbackEvent{0, 300, kMimLongData, 0, 0}, bytes.data(), 300);
        RecordInputEvent(CallbackEvent{0, 192, kMimLongData, 0, 0}, bytes.data(), 192);
        RecordInputEvent(CallbackEvent{0, 0, kMimData, 0, 0}, nullptr, 0);
    });
    writer.join();

    EXPECT_EQ(InputEventsLost.load(), 1u);
    EXPECT_EQ(InputBytesLost.load(), 300u);
    EXPECT_EQ(ByteWriteCount.load(), 8192u);
    EXPECT_EQ(EventWriteCount.load(), 18u);
}

} // namespace
