#pragma once

#include <jack/jack.h>

#include <atomic>
#include <memory>

// A JACK client of the backend's own that hears what RtMidi does not pass on: the
// server going away (ServerGone turns true), and ports going away (a device unplugged,
// the program that played one ended), which it reports on JACK's notification thread.
class JackServerWatch {
public:
    using PortGoneCallback = void (*)(const char* portName, void* context);

    // Nullptr when the server can't be reached.
    static std::unique_ptr<JackServerWatch> Start(PortGoneCallback portGone, void* context);
    // Closes the client; once the server has gone, the client is abandoned instead.
    ~JackServerWatch();
    JackServerWatch(const JackServerWatch&) = delete;
    JackServerWatch& operator=(const JackServerWatch&) = delete;

    bool ServerGone() const { return m_gone.load(std::memory_order_acquire); }

private:
    JackServerWatch(PortGoneCallback portGone, void* context);
    static void OnShutdown(jack_status_t code, const char* reason, void* self);
    static void OnPortRegistration(jack_port_id_t port, int registered, void* self);

    jack_client_t* m_client = nullptr;
    PortGoneCallback m_portGone;
    void* m_context;
    std::atomic<bool> m_gone{false};
};

// Closes a JACK client of ours; once its server has gone, keeps it abandoned instead.
void CloseJackClient(jack_client_t* client, bool serverGone);

// Keeps an object of a JACK client whose server has gone for the rest of the process,
// never used again: once any client of the process reaches a server again, the JACK
// library frees what such clients hold, and closing or using one then crashes.
void KeepAbandoned(const void* object);
