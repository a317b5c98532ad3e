#pragma once

#include "rtmidi/JackMidiReceiver.h"
#include "services/HeaderQueue.h"
#include "services/MidiServices.h"

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One input connection of the real MIDI system with the event contract of the device
// services: through RtMidi, or on JACK through a receiver of our own, which hands the
// bytes over as they come (RtMidi's JACK input gathers a SysEx whole, without limit).
// The client and this port are kept for the life of the backend and reused for later
// opens: RtMidi may still be inside its receive callback when closePort returns, so the
// port stops accepting, waits until no callback is in flight, and delivers its own
// reset and close events, which the MIDI system never gives.
class RtMidiInputPort {
public:
    explicit RtMidiInputPort(RtMidi::Api api);
    ~RtMidiInputPort();
    RtMidiInputPort(const RtMidiInputPort&) = delete;
    RtMidiInputPort& operator=(const RtMidiInputPort&) = delete;

    // Opens port `index`, which the last listing named `expectedName`; a port that is
    // gone or renamed since, or a warning while opening, fails the open.
    MidiResult Open(MidiHandle handle, unsigned index, const std::string& expectedName,
                    MidiInProc callback, uintptr_t instance);
    MidiResult Start();
    MidiResult PrepareHeader(MidiHeader* header);
    MidiResult UnprepareHeader(MidiHeader* header);
    MidiResult AddBuffer(MidiHeader* header);
    MidiResult Reset();
    MidiResult Close();

    // The handle while open, else 0. Read on the driver thread too.
    MidiHandle Handle() const { return m_handle.load(std::memory_order_acquire); }

    // The device this port is open on, or the MIDI system, went away: input stops and
    // the callback gets one kMimError with `code` (an RtMidiError::Type), from a thread
    // of the port's own. The port stays open until it is closed.
    void ReportLoss(uint32_t code);
    // Reports the loss when the port is open on the device named `portName`.
    void ReportLossOf(const char* portName, uint32_t code);
    // The MIDI system went away: the RtMidi object is abandoned, never called again;
    // the next open makes a new one.
    void AbandonClient();

private:
    static void OnMessage(double delta, std::vector<unsigned char>* message, void* self) noexcept;
    static void OnError(RtMidiError::Type type, const std::string& text, void* self) noexcept;
    static void OnJackEvent(const unsigned char* bytes, size_t size, void* self) noexcept;
    MidiResult OpenRtMidi(unsigned index, const std::string& expectedName);
    MidiResult OpenJack(unsigned index, const std::string& expectedName);
    // Runs on the MIDI driver thread: no allocation, no lock, no Qt.
    void Receive(const unsigned char* bytes, size_t size);
    void ReceiveSysex(const unsigned char* bytes, size_t size);
    void Deliver(uint32_t message, uintptr_t dwParam1);
    // Waits until RtMidi is out of the receive callback, with no deadline: however long
    // a callback in flight takes.
    void WaitUntilIdle() const;
    // Delivers an event of the port's own from a thread that is not the caller's.
    void DeliverFromDriverSide(uint32_t message, MidiHeader* const* headers, int count);
    // With m_ownEvents held.
    void ReportLossLocked(uint32_t code);
    // Around the window thread's RtMidi calls: what RtMidi reports meanwhile is the
    // call's result.
    void BeginCall();
    MidiResult EndCall();

    RtMidi::Api m_api;
    std::unique_ptr<RtMidiIn> m_in;           // on every API but JACK
    std::unique_ptr<JackMidiReceiver> m_jack; // on JACK
    std::atomic<MidiHandle> m_handle{0};
    MidiInProc m_callback = nullptr;
    uintptr_t m_instance = 0;

    // Events the port delivers itself (open, reset, close, loss) come from one thread
    // at a time; the device name is what a loss is matched against. Never taken on the
    // thread that RtMidi calls back on.
    std::mutex m_ownEvents;
    std::string m_device;
    std::atomic<bool> m_lost{false};

    std::atomic<bool> m_accepting{false};
    std::atomic<int> m_inFlight{0};
    std::atomic<int64_t> m_startNanoseconds{0};
    HeaderQueue m_buffers;
    bool m_inSysex = false; // driver thread

    // Errors RtMidi reports while the window thread is inside one of its calls.
    std::atomic<bool> m_windowCall{false};
    std::atomic<std::thread::id> m_callThread;
    RtMidiError::Type m_callError = RtMidiError::UNSPECIFIED;
    bool m_callFailed = false;
};
