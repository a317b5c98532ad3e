#include "services/InputPort.h"

#include "services/MidiServices.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

int64_t NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsUsable(const MidiHeader* header) {
    return header != nullptr && header->lpData != nullptr && header->dwBufferLength > 0;
}

bool IsRealTime(uint8_t byte) {
    return byte >= 0xF8;
}

uint32_t Packed(const uint8_t* bytes, size_t size) {
    uint32_t packed = 0;
    for (size_t i = 0; i < size && i < 3; ++i) {
        packed |= uint32_t{bytes[i]} << (8 * i);
    }
    return packed;
}

} // namespace

InputPort::Delivery::Delivery(const InputPort& port) noexcept : m_port(port) {
    m_port.m_inFlight.fetch_add(1);
    m_accepted = m_port.m_receiving.load();
}

InputPort::Delivery::~Delivery() {
    m_port.m_inFlight.fetch_sub(1);
}

MidiResult InputPort::CanOpen(MidiHandle handle, MidiInProc callback) const {
    if (callback == nullptr || handle == 0) {
        return MidiResult::InvalidParameter;
    }
    if (IsOpen()) {
        return MidiResult::Allocated;
    }
    return MidiResult::NoError;
}

MidiResult InputPort::Open(MidiHandle handle, MidiInProc callback, uintptr_t instance) {
    if (const MidiResult refused = CanOpen(handle, callback); refused != MidiResult::NoError) {
        return refused;
    }
    m_events.RunAndWait([&] {
        m_callback = callback;
        m_instance = instance;
        m_inSysex = false;
        m_lost.store(false);
        m_receiving.store(false);
        m_startNanoseconds.store(NowNanoseconds());
        m_handle.store(handle, std::memory_order_release);
        Deliver(kMimOpen, 0);
    });
    return MidiResult::NoError;
}

MidiResult InputPort::Start(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    // On the events thread, so that a loss reported meanwhile is not undone.
    m_events.RunAndWait([&] {
        m_startNanoseconds.store(NowNanoseconds());
        m_receiving.store(!m_lost.load());
    });
    return MidiResult::NoError;
}

MidiResult InputPort::PrepareHeader(MidiHandle handle, MidiHeader* header) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (!IsUsable(header)) {
        return MidiResult::InvalidParameter;
    }
    header->dwFlags |= kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult InputPort::UnprepareHeader(MidiHandle handle, MidiHeader* header) {
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

MidiResult InputPort::AddBuffer(MidiHandle handle, MidiHeader* header) {
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

MidiResult InputPort::Reset(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    m_events.RunAndWait([&] {
        Quiesce();
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
        m_inSysex = false;
    });
    return MidiResult::NoError;
}

MidiResult InputPort::Close(MidiHandle handle) {
    if (!Owns(handle)) {
        return MidiResult::InvalidHandle;
    }
    if (m_buffers.Count() > 0) {
        return MidiResult::StillPlaying;
    }
    StopReceiving();
    m_device.Release();
    m_events.RunAndWait([&] {
        WaitForDeliveries();
        Deliver(kMimClose, 0);
        m_handle.store(0, std::memory_order_release);
        m_callback = nullptr;
    });
    return MidiResult::NoError;
}

void InputPort::Lose(uint32_t code) {
    m_events.RunAndWait([&] {
        if (!IsOpen() || m_lost.exchange(true)) {
            return;
        }
        Quiesce();
        Deliver(kMimError, code);
    });
}

void InputPort::Quiesce() {
    StopReceiving();
    WaitForDeliveries();
}

void InputPort::WaitForDeliveries() const {
    while (m_inFlight.load() != 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void InputPort::Receive(const uint8_t* bytes, size_t size) noexcept {
    const Delivery delivery(*this);
    if (!delivery.Accepted() || size == 0) {
        return;
    }
    const uint8_t status = bytes[0];
    // WinMM hands a long SysEx over in pieces, the later ones starting with data bytes.
    if (status == 0xF0 || (m_inSysex && (status < 0x80 || status == 0xF7))) {
        // The last of F0 and F7 in the piece tells whether the SysEx goes on after it.
        for (size_t i = size; i-- > 0;) {
            if (bytes[i] == 0xF0 || bytes[i] == 0xF7) {
                m_inSysex = bytes[i] == 0xF0;
                break;
            }
        }
        // No buffer queued: the bytes are lost, as on the platform.
        ReturnInBuffers(bytes, size, kMimLongData, true);
        return;
    }
    if (status >= 0x80 && status != 0xF7) {
        if (!IsRealTime(status)) {
            m_inSysex = false; // any status but real-time ends a SysEx
        }
        Deliver(kMimData, Packed(bytes, size));
        return;
    }
    Deliver(kMimError, Packed(bytes, size)); // data bytes without a status
}

void InputPort::ReceiveEvent(uint32_t message, uintptr_t dwParam1) noexcept {
    const Delivery delivery(*this);
    if (delivery.Accepted()) {
        Deliver(message, dwParam1);
    }
}

size_t InputPort::ReceiveLongData(const uint8_t* bytes, size_t size, uint32_t message) noexcept {
    const Delivery delivery(*this);
    if (!delivery.Accepted()) {
        return size;
    }
    return ReturnInBuffers(bytes, size, message, false);
}

size_t InputPort::ReturnInBuffers(const uint8_t* bytes, size_t size, uint32_t message,
                                  bool skipRealTime) noexcept {
    const auto skip = [&](size_t at) {
        while (skipRealTime && at < size && IsRealTime(bytes[at])) {
            ++at;
        }
        return at;
    };
    size_t next = skip(0);
    bool returnedAny = false;
    while (next < size || !returnedAny) {
        MidiHeader* header = m_buffers.Take();
        if (header == nullptr) {
            size_t lost = 0;
            for (; next < size; next = skip(next + 1)) {
                ++lost;
            }
            return lost;
        }
        // The header's length bounds every write into its bytes.
        uint32_t filled = 0;
        while (next < size && filled < header->dwBufferLength) {
            const size_t room = header->dwBufferLength - filled;
            size_t end = next;
            while (end < size && end - next < room && !(skipRealTime && IsRealTime(bytes[end]))) {
                ++end;
            }
            std::memcpy(header->lpData + filled, bytes + next, end - next);
            filled += static_cast<uint32_t>(end - next);
            next = skip(end);
        }
        header->dwBytesRecorded = filled;
        Deliver(message, reinterpret_cast<uintptr_t>(header));
        returnedAny = true;
    }
    return 0;
}

void InputPort::Deliver(uint32_t message, uintptr_t dwParam1) noexcept {
    const int64_t elapsed = NowNanoseconds() - m_startNanoseconds.load(std::memory_order_relaxed);
    m_callback(Handle(), message, m_instance, dwParam1, static_cast<uintptr_t>(elapsed / 1000000));
}
