#pragma once

#include "services/MidiServices.h"

#include <atomic>
#include <cstdint>

// The input buffers an application has queued on one device, as a backend keeps them.
// Added to from the window thread (at open) and from inside the input callback,
// taken by the backend's receiving thread: wait-free, no allocation, no lock.
// Buffers are interchangeable for the data they carry, so the order in which queued
// buffers are taken does not matter; each return is delivered before the next is taken.
class HeaderQueue {
public:
    static constexpr int kCapacity = 8;

    // Marks the header queued. False when the queue is full.
    bool Add(MidiHeader* header) noexcept;
    // A queued header, no longer queued, or nullptr when none is.
    MidiHeader* Take() noexcept;
    int Count() const noexcept;

private:
    std::atomic<MidiHeader*> m_slots[kCapacity] = {};
};
