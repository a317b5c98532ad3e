#include "ports/OutputMessagePool.h"

#include <algorithm>
#include <cstring>

OutputMessagePool OutputMessages;

void OutputMessagePool::Reclaim(MidiServices& services) {
    for (auto& slot : m_slots) {
        if (slot->busy &&
            services.OutUnprepareHeader(slot->handle, &slot->header) != MidiResult::StillPlaying) {
            slot->busy = false;
        }
    }
}

MidiHeader* OutputMessagePool::Store(const uint8_t* bytes, uint32_t size, MidiHandle handle) {
    auto free =
        std::find_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return !s->busy; });
    if (free == m_slots.end()) {
        m_slots.push_back(std::make_unique<Slot>());
        free = m_slots.end() - 1;
    }
    Slot& slot = **free;
    slot.bytes.assign(bytes, bytes + size);
    slot.handle = handle;
    slot.busy = true;
    slot.header = MidiHeader{};
    slot.header.lpData = slot.bytes.data();
    slot.header.dwBufferLength = size;
    return &slot.header;
}

void OutputMessagePool::Release(const MidiHeader* header) {
    for (auto& slot : m_slots) {
        if (&slot->header == header) {
            slot->busy = false;
        }
    }
}

int OutputMessagePool::InFlight() const {
    return static_cast<int>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return s->busy; }));
}

void OutputMessagePool::Clear() {
    m_slots.clear();
}
