#include "services/HeaderQueue.h"

bool HeaderQueue::Add(MidiHeader* header) noexcept {
    // Flags are set before the header is published, so the taker sees them.
    header->dwFlags = (header->dwFlags | kMidiHeaderInQueue) & ~kMidiHeaderDone;
    for (auto& slot : m_slots) {
        MidiHeader* expected = nullptr;
        if (slot.compare_exchange_strong(expected, header, std::memory_order_acq_rel)) {
            return true;
        }
    }
    header->dwFlags &= ~kMidiHeaderInQueue;
    return false;
}

MidiHeader* HeaderQueue::Take() noexcept {
    for (auto& slot : m_slots) {
        if (slot.load(std::memory_order_relaxed) == nullptr) {
            continue;
        }
        MidiHeader* header = slot.exchange(nullptr, std::memory_order_acq_rel);
        if (header != nullptr) {
            header->dwFlags = (header->dwFlags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
            return header;
        }
    }
    return nullptr;
}

int HeaderQueue::Count() const noexcept {
    int count = 0;
    for (const auto& slot : m_slots) {
        count += slot.load(std::memory_order_acquire) != nullptr ? 1 : 0;
    }
    return count;
}
