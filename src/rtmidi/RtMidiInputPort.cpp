#include "rtmidi/RtMidiInputPort.h"

#include "rtmidi/JackServerWatch.h"
#include "rtmidi/RtMidiApi.h"
#include "services/MidiServices.h"

#include <thread>

namespace {

int64_t NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint32_t Packed(const unsigned char* bytes, size_t size) {
    uint32_t packed = 0;
    for (size_t i = 0; i < size && i < 3; ++i) {
        packed |= uint32_t{bytes[i]} << (8 * i);
    }
    return packed;
}

} // namespace

RtMidiInputPort::RtMidiInputPort(RtMidi::Api api) : m_api(api) {}

RtMidiInputPort::~RtMidiInputPort() {
    if (Handle() != 0) {
        Reset();
        Close();
    }
    m_accepting.store(false);
    WaitUntilIdle();
    m_jack.reset(); // closing the client ends its process thread
    if (m_in) {
        m_in->cancelCallback();
    }
}

MidiResult RtMidiInputPort::Open(MidiHandle handle, unsigned index, const std::string& expectedName,
                                 MidiInProc callback, uintptr_t instance) {
    if (Handle() != 0) {
        return MidiResult::Allocated;
    }
    if (callback == nullptr || handle == 0) {
        return MidiResult::InvalidParameter;
    }
    const MidiResult result = m_api == RtMidi::UNIX_JACK ? OpenJack(index, expectedName)
                                                         : OpenRtMidi(index, expectedName);
    if (result != MidiResult::NoError) {
        return result;
    }

    std::lock_guard lock(m_ownEvents);
    m_callback = callback;
    m_instance = instance;
    m_inSysex = false;
    m_device = expectedName;
    m_lost.store(false);
    m_startNanoseconds.store(NowNanoseconds());
    m_handle.store(handle, std::memory_order_release);
    DeliverFromDriverSide(kMimOpen, nullptr, 0);
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::OpenRtMidi(unsigned index, const std::string& expectedName) {
    if (!m_in) {
        try {
            m_in = std::make_unique<RtMidiIn>(m_api, "WinTesselTest");
        } catch (const RtMidiError& error) {
            return ResultOfRtMidiError(error.getType());
        }
        // With an error callback set, RtMidi reports instead of throwing.
        m_in->setErrorCallback(OnError, this);
        m_in->ignoreTypes(false, true, true); // SysEx in; clock and active sensing out
        m_in->setCallback(OnMessage, this);
    }

    // Port numbers are positions in a list read afresh: the device listed under this
    // number must still be the one named.
    BeginCall();
    const bool present = index < m_in->getPortCount() && m_in->getPortName(index) == expectedName;
    if (!present) {
        EndCall();
        return MidiResult::NoDevice;
    }
    m_in->openPort(index, "in");
    MidiResult result = EndCall();
    if (result == MidiResult::NoError && !m_in->isPortOpen()) {
        result = MidiResult::NoDevice;
    }
    if (result != MidiResult::NoError) {
        BeginCall();
        m_in->closePort();
        EndCall();
        WaitUntilIdle();
    }
    return result;
}

MidiResult RtMidiInputPort::OpenJack(unsigned index, const std::string& expectedName) {
    if (!m_jack) {
        std::string why;
        m_jack = JackMidiReceiver::Open("WinTesselTest", OnJackEvent, this, &why);
        if (!m_jack) {
            return MidiResult::NotEnabled;
        }
    }
    const std::vector<std::string> sources = m_jack->Sources();
    if (index >= sources.size() || sources[index] != expectedName) {
        return MidiResult::NoDevice;
    }
    if (!m_jack->RegisterPort("in")) {
        return MidiResult::NotEnabled;
    }
    if (!m_jack->ConnectFrom(expectedName)) {
        m_jack->UnregisterPort();
        return MidiResult::NoDevice;
    }
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::Start() {
    if (Handle() == 0) {
        return MidiResult::InvalidHandle;
    }
    m_startNanoseconds.store(NowNanoseconds());
    std::lock_guard lock(m_ownEvents);
    m_accepting.store(!m_lost.load());
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::PrepareHeader(MidiHeader* header) {
    if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0) {
        return MidiResult::InvalidParameter;
    }
    header->dwFlags |= kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::UnprepareHeader(MidiHeader* header) {
    if (header == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if ((header->dwFlags & kMidiHeaderInQueue) != 0) {
        return MidiResult::StillPlaying;
    }
    header->dwFlags &= ~kMidiHeaderPrepared;
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::AddBuffer(MidiHeader* header) {
    if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0) {
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

MidiResult RtMidiInputPort::Reset() {
    if (Handle() == 0) {
        return MidiResult::InvalidHandle;
    }
    m_accepting.store(false);
    WaitUntilIdle();
    MidiHeader* returned[HeaderQueue::kCapacity];
    int count = 0;
    while (MidiHeader* header = m_buffers.Take()) {
        header->dwBytesRecorded = 0;
        returned[count++] = header;
    }
    if (count > 0) {
        std::lock_guard lock(m_ownEvents);
        DeliverFromDriverSide(kMimLongData, returned, count);
    }
    m_inSysex = false;
    return MidiResult::NoError;
}

MidiResult RtMidiInputPort::Close() {
    if (Handle() == 0) {
        return MidiResult::InvalidHandle;
    }
    if (m_buffers.Count() > 0) {
        return MidiResult::StillPlaying;
    }
    m_accepting.store(false);
    if (m_in) {
        BeginCall();
        m_in->closePort();
        EndCall();
    }
    if (m_jack) {
        m_jack->UnregisterPort();
    }
    WaitUntilIdle();
    std::lock_guard lock(m_ownEvents);
    DeliverFromDriverSide(kMimClose, nullptr, 0);
    m_handle.store(0, std::memory_order_release);
    m_callback = nullptr;
    m_device.clear();
    return MidiResult::NoError;
}

void RtMidiInputPort::ReportLoss(uint32_t code) {
    std::lock_guard lock(m_ownEvents);
    ReportLossLocked(code);
}

void RtMidiInputPort::ReportLossOf(const char* portName, uint32_t code) {
    std::lock_guard lock(m_ownEvents);
    if (m_device == portName) {
        ReportLossLocked(code);
    }
}

void RtMidiInputPort::ReportLossLocked(uint32_t code) {
    if (Handle() == 0 || m_lost.exchange(true)) {
        return;
    }
    m_accepting.store(false);
    WaitUntilIdle();
    std::thread driver([&] { Deliver(kMimError, code); });
    driver.join();
}

void RtMidiInputPort::AbandonClient() {
    m_accepting.store(false);
    if (m_in) {
        KeepAbandoned(m_in.release());
    }
    JackMidiReceiver::Abandon(std::move(m_jack));
}

void RtMidiInputPort::OnMessage(double, std::vector<unsigned char>* message, void* self) noexcept {
    // Runs on the MIDI driver thread: no allocation, no lock, no Qt.
    auto* port = static_cast<RtMidiInputPort*>(self);
    port->m_inFlight.fetch_add(1);
    if (port->m_accepting.load()) {
        port->Receive(message->data(), message->size());
    }
    port->m_inFlight.fetch_sub(1);
}

void RtMidiInputPort::OnJackEvent(const unsigned char* bytes, size_t size, void* self) noexcept {
    // Runs on JACK's process thread: no allocation, no lock, no Qt.
    const unsigned char status = bytes[0];
    if (size == 1 && (status == 0xF8 || status == 0xFE)) {
        return; // clock and active sensing stay out, as RtMidi is told for other APIs
    }
    auto* port = static_cast<RtMidiInputPort*>(self);
    port->m_inFlight.fetch_add(1);
    if (port->m_accepting.load()) {
        port->Receive(bytes, size);
    }
    port->m_inFlight.fetch_sub(1);
}

void RtMidiInputPort::OnError(RtMidiError::Type type, const std::string&, void* self) noexcept {
    auto* port = static_cast<RtMidiInputPort*>(self);
    if (port->m_windowCall.load() && std::this_thread::get_id() == port->m_callThread.load()) {
        port->m_callFailed = true;
        port->m_callError = type;
        return;
    }
    // Reported while receiving: a transport error for the application to see.
    port->m_inFlight.fetch_add(1);
    if (port->m_accepting.load()) {
        port->Deliver(kMimError, static_cast<uintptr_t>(type));
    }
    port->m_inFlight.fetch_sub(1);
}

void RtMidiInputPort::Receive(const unsigned char* bytes, size_t size) {
    if (size == 0) {
        return;
    }
    const unsigned char status = bytes[0];
    // WinMM hands a long SysEx over in pieces, the later ones starting with data bytes.
    if (status == 0xF0 || (m_inSysex && (status < 0x80 || status == 0xF7))) {
        ReceiveSysex(bytes, size);
        return;
    }
    if (status >= 0x80 && status != 0xF7) {
        if (status < 0xF8) {
            m_inSysex = false; // any status but real-time ends a SysEx
        }
        Deliver(kMimData, Packed(bytes, size));
        return;
    }
    Deliver(kMimError, Packed(bytes, size)); // data bytes without a status
}

void RtMidiInputPort::ReceiveSysex(const unsigned char* bytes, size_t size) {
    MidiHeader* header = nullptr;
    uint32_t filled = 0;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char byte = bytes[i];
        if (byte >= 0xF8) {
            continue; // JACK appends real-time bytes that arrive inside a SysEx
        }
        if (byte == 0xF0) {
            m_inSysex = true;
        } else if (byte == 0xF7) {
            m_inSysex = false;
        }
        if (header == nullptr) {
            header = m_buffers.Take();
            filled = 0;
            if (header == nullptr) {
                continue; // no buffer queued: the byte is lost, as on the platform
            }
        }
        header->lpData[filled++] = byte;
        if (filled == header->dwBufferLength) {
            header->dwBytesRecorded = filled;
            Deliver(kMimLongData, reinterpret_cast<uintptr_t>(header));
            header = nullptr;
        }
    }
    if (header != nullptr) {
        header->dwBytesRecorded = filled;
        Deliver(kMimLongData, reinterpret_cast<uintptr_t>(header));
    }
}

void RtMidiInputPort::Deliver(uint32_t message, uintptr_t dwParam1) {
    const int64_t elapsed = NowNanoseconds() - m_startNanoseconds.load(std::memory_order_relaxed);
    m_callback(Handle(), message, m_instance, dwParam1, static_cast<uintptr_t>(elapsed / 1000000));
}

void RtMidiInputPort::WaitUntilIdle() const {
    // No deadline: a callback that runs after its port was closed would write into the
    // rings of an input that is gone, so the close waits however long it takes.
    while (m_inFlight.load() != 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void RtMidiInputPort::DeliverFromDriverSide(uint32_t message, MidiHeader* const* headers,
                                            int count) {
    // The input callback never runs on the window thread.
    std::thread driver([&] {
        if (count == 0) {
            Deliver(message, 0);
        }
        for (int i = 0; i < count; ++i) {
            Deliver(message, reinterpret_cast<uintptr_t>(headers[i]));
        }
    });
    driver.join();
}

void RtMidiInputPort::BeginCall() {
    m_callFailed = false;
    m_callThread = std::this_thread::get_id();
    m_windowCall.store(true);
}

MidiResult RtMidiInputPort::EndCall() {
    m_windowCall.store(false);
    return m_callFailed ? ResultOfRtMidiError(m_callError) : MidiResult::NoError;
}
