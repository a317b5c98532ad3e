#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

// A JACK client of the backend's own that hears what RtMidi does not pass on: the
// server going away (ServerGone turns true), and ports going away (a device unplugged,
// the program that played one ended), which it reports on a thread of its own.
class JackServerWatch {
public:
    using PortGoneCallback = void (*)(const char* portName, void* context);

    // Nullptr when the server can't be reached.
    static std::unique_ptr<JackServerWatch> Start(PortGoneCallback portGone, void* context);
    // Closes the client, then ends the reporting thread; once the server has gone, the
    // client is abandoned instead.
    ~JackServerWatch();
    JackServerWatch(const JackServerWatch&) = delete;
    JackServerWatch& operator=(const JackServerWatch&) = delete;

    bool ServerGone() const { return m_gone.load(std::memory_order_acquire); }

private:
    // More names than JACK lets a port have; a longer one could match no device of ours.
    static constexpr int kNameBytes = 512;
    // Ports gone faster than the reporting thread takes their names: a client ending
    // takes all of its ports at once.
    static constexpr uint32_t kPendingNames = 64;
    static_assert((kPendingNames & (kPendingNames - 1)) == 0,
                  "kPendingNames must be a power of two");

    JackServerWatch(PortGoneCallback portGone, void* context);
    // JACK calls these from C on its own threads: they must not throw, and they only
    // set flags and copy a name, so that a slow or locking report never holds JACK up.
    static void OnShutdown(jack_status_t code, const char* reason, void* self) noexcept;
    static void OnPortRegistration(jack_port_id_t port, int registered, void* self) noexcept;
    void ReportGonePorts();
    void StopReporting();

    jack_client_t* m_client = nullptr;
    PortGoneCallback m_portGone;
    void* m_context;
    std::atomic<bool> m_gone{false};

    // The names of ports gone and not yet reported: written by JACK's notification
    // thread, read by the reporting thread, which sleeps on m_written.
    char m_names[kPendingNames][kNameBytes] = {};
    std::atomic<uint32_t> m_written{0};
    std::atomic<uint32_t> m_read{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_reporter;
};

// Closes a JACK client of ours; once its server has gone, keeps it abandoned instead.
void CloseJackClient(jack_client_t* client, bool serverGone);

// Keeps an object of a JACK client whose server has gone for the rest of the process,
// never used again: once any client of the process reaches a server again, the JACK
// library frees what such clients hold, and closing or using one then crashes.
void KeepAbandoned(const void* object);
