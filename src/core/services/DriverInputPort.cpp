#include "services/DriverInputPort.h"

#include "services/MidiServices.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsUsable(const MidiHeader* header) {
    return header != nullptr && header->lpData != nullptr && header->dwBufferLength > 0;
}

} // namespace

MidiResult DriverInputPort::Open(MidiHandle handle, MidiInProc callback, uintptr_t instance) {
    if (callback == nullptr || handle == 0) {
        return MidiResult::InvalidParameter;
    }
    if (m_handle != 0) {
        return MidiResult::Allocated;
    }
    m_thread.RunAndWait([&] {
        m_handle = handle;
        m_callback = callback;
        m_instance = instance;
        m_started = false;
        Deliver(kMimOpen, 0);
    });
    return MidiResult::NoError;
}

MidiResult DriverInputPort::Start(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    m_thread.RunAndWait([&] {
        m_started = true;
        m_startTime = DriverThread::Clock::now();
    });
    return MidiResult::NoError;
}

MidiResult DriverInputPort::PrepareHeader(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (!IsUsable(header)) {
        return MidiResult::InvalidParameter;
    }
    header->dwFlags |= kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult DriverInputPort::UnprepareHeader(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (header == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if ((header->dwFlags & kMidiHeaderInQueue) != 0) {
        return MidiResult::StillPlaying;
    }
    header->dwFlags &= ~kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult DriverInputPort::AddBuffer(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (!IsUsable(header)) {
        return MidiResult::InvalidParameter;
    }
    if ((header->dwFlags & kMidiHeaderPrepared) == 0) {
        return MidiResult::Unprepared;
    }
    if ((header->dwFlags & kMidiHeaderInQueue) != 0) {
        return MidiResult::StillPlaying;
    }
    return m_buffers.Add(header) ? MidiResult::NoError : MidiResult::NoMemory;
}

MidiResult DriverInputPort::Reset(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    m_thread.RunAndWait([&] {
        m_started = false;
        // Only the buffers queued now come back: one that the callback queues again
        // while it is being returned stays queued.
        MidiHeader* returned[HeaderQueue::kCapacity];
        int count = 0;
        while (MidiHeader* header = m_buffers.Take()) {
            returned[count++] = header;
        }
        for (int i = 0; i < count; ++i) {
            returned[i]->dwBytesRecorded = 0;
            Deliver(kMimLongData, reinterpret_cast<uintptr_t>(returned[i]));
        }
    });
    return MidiResult::NoError;
}

MidiResult DriverInputPort::Close(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (m_buffers.Count() > 0) {
        return MidiResult::StillPlaying;
    }
    m_thread.RunAndWait([&] {
        Deliver(kMimClose, 0);
        m_handle = 0;
        m_callback = nullptr;
        m_started = false;
    });
    return MidiResult::NoError;
}

void DriverInputPort::Deliver(uint32_t message, uintptr_t dwParam1) {
    uintptr_t time = 0;
    if (m_started) {
        time = static_cast<uintptr_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          DriverThread::Clock::now() - m_startTime)
                                          .count());
    }
    m_callback(m_handle, message, m_instance, dwParam1, time);
}

size_t DriverInputPort::DeliverLongData(const uint8_t* bytes, size_t size, uint32_t message) {
    size_t offset = 0;
    do { // an empty message still returns a buffer
        MidiHeader* header = m_buffers.Take();
        if (header == nullptr) {
            return size - offset;
        }
        const size_t piece = std::min<size_t>(header->dwBufferLength, size - offset);
        if (piece > 0) {
            std::memcpy(header->lpData, bytes + offset, piece);
        }
        header->dwBytesRecorded = static_cast<uint32_t>(piece);
        offset += piece;
        Deliver(message, reinterpret_cast<uintptr_t>(header));
    } while (offset < size);
    return 0;
}
