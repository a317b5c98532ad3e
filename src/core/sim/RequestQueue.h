#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// The requests a simulated QZ4 has received and not yet answered, gathered from the
// pieces its MIDI input hands over (whole messages or parts of a SysEx) on the MIDI
// thread, and taken by the thread that answers. Bounded both ways, so that a peer's
// flood costs neither memory nor minutes of stale answers: a SysEx longer than
// kMaxRequestBytes is dropped, and so is a request that finds all kSlots taken; both
// are counted. One writer, one reader, no lock and no allocation on the writer's side.
class RequestQueue {
public:
    // Far more than any request of the box (at most 6 bytes).
    static constexpr size_t kMaxRequestBytes = 1024;
    static constexpr uint32_t kSlots = 16;

    // The MIDI thread: bytes as they arrive. Only SysEx messages count as requests;
    // real-time bytes inside one are skipped, any other status ends it unfinished.
    void Receive(const uint8_t* bytes, size_t size) noexcept;

    // The answering thread: the oldest whole request, false when there is none.
    bool Take(std::vector<uint8_t>* request);

    uint32_t DroppedTooLong() const { return m_droppedTooLong.load(std::memory_order_relaxed); }
    uint32_t DroppedQueueFull() const { return m_droppedFull.load(std::memory_order_relaxed); }
    uint32_t DroppedUnfinished() const {
        return m_droppedUnfinished.load(std::memory_order_relaxed);
    }

private:
    struct Slot {
        size_t size = 0;
        std::array<uint8_t, kMaxRequestBytes> bytes{};
    };
    void Finish() noexcept;

    // Writer side: the request being gathered.
    bool m_inSysex = false;
    bool m_tooLong = false;
    Slot m_partial;

    std::array<Slot, kSlots> m_slots;
    std::atomic<uint32_t> m_written{0};
    std::atomic<uint32_t> m_read{0};
    std::atomic<uint32_t> m_droppedTooLong{0};
    std::atomic<uint32_t> m_droppedFull{0};
    std::atomic<uint32_t> m_droppedUnfinished{0};
};
