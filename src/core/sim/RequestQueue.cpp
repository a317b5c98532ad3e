#include "sim/RequestQueue.h"

#include <algorithm>

void RequestQueue::Receive(const uint8_t* bytes, size_t size) noexcept {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= 0xF8) {
            continue;
        }
        if (byte >= 0x80 && m_inSysex && byte != 0xF7) {
            m_droppedUnfinished.fetch_add(1, std::memory_order_relaxed);
            m_inSysex = false;
        }
        if (byte == 0xF0) {
            m_inSysex = true;
            m_tooLong = false;
            m_partial.size = 0;
        }
        if (!m_inSysex) {
            continue; // short messages and stray data: the box answers none of them
        }
        if (m_partial.size < kMaxRequestBytes) {
            m_partial.bytes[m_partial.size++] = byte;
        } else {
            m_tooLong = true;
        }
        if (byte == 0xF7) {
            Finish();
        }
    }
}

void RequestQueue::Finish() noexcept {
    m_inSysex = false;
    if (m_tooLong) {
        m_droppedTooLong.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const uint32_t written = m_written.load(std::memory_order_relaxed);
    if (written - m_read.load(std::memory_order_acquire) == kSlots) {
        m_droppedFull.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    Slot& slot = m_slots[written % kSlots];
    slot.size = m_partial.size;
    std::copy_n(m_partial.bytes.begin(), m_partial.size, slot.bytes.begin());
    m_written.store(written + 1, std::memory_order_release);
}

bool RequestQueue::Take(std::vector<uint8_t>* request) {
    const uint32_t read = m_read.load(std::memory_order_relaxed);
    if (read == m_written.load(std::memory_order_acquire)) {
        return false;
    }
    const Slot& slot = m_slots[read % kSlots];
    request->assign(slot.bytes.begin(), slot.bytes.begin() + static_cast<ptrdiff_t>(slot.size));
    m_read.store(read + 1, std::memory_order_release);
    return true;
}
