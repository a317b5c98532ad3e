#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A JACK client with one MIDI input port whose events go to a handler as JACK delivers
// them, on JACK's process thread. Nothing is gathered here: RtMidi's JACK input holds a
// SysEx until its F7 arrives, so a peer that never sends one grew that message without
// limit; this receiver passes each piece on and keeps no byte of it.
class JackMidiReceiver {
public:
    // Called on JACK's process thread, once per event: it must neither allocate nor lock.
    using Handler = void (*)(const unsigned char* bytes, size_t size, void* context) noexcept;

    // Opens and activates a client named `clientName` (JACK adds a suffix when the name
    // is taken). Nullptr with the reason in `why` when no server can be reached.
    static std::unique_ptr<JackMidiReceiver> Open(const std::string& clientName, Handler handler,
                                                  void* context, std::string* why);
    // Closes the client; once the server has gone, the client is abandoned instead.
    ~JackMidiReceiver();
    JackMidiReceiver(const JackMidiReceiver&) = delete;
    JackMidiReceiver& operator=(const JackMidiReceiver&) = delete;

    // The MIDI ports that can be read from, in JACK's order: RtMidi lists the same.
    std::vector<std::string> Sources() const;

    // Registers the input port `portName`; false when JACK refuses it.
    bool RegisterPort(const std::string& portName);
    // Connects `source` to the registered port; false when it is gone or refused.
    bool ConnectFrom(const std::string& source);
    // Stops the handler calls for the port, waiting for one still running, and removes
    // the port with its connections.
    void UnregisterPort();

    bool ServerGone() const { return m_gone.load(std::memory_order_acquire); }
    // The server went away: the client is kept, never used again (see KeepAbandoned).
    static void Abandon(std::unique_ptr<JackMidiReceiver> receiver);

private:
    JackMidiReceiver(Handler handler, void* context);
    static int OnProcess(jack_nframes_t frames, void* self) noexcept;
    static void OnShutdown(jack_status_t code, const char* reason, void* self) noexcept;

    jack_client_t* m_client = nullptr;
    Handler m_handler;
    void* m_context;
    // Read by the process thread; a cycle counts itself in before it reads the port.
    std::atomic<jack_port_t*> m_port{nullptr};
    std::atomic<int> m_inProcess{0};
    std::atomic<bool> m_gone{false};
};
