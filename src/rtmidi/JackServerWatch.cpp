#include "rtmidi/JackServerWatch.h"

#include <cstring>
#include <vector>

std::unique_ptr<JackServerWatch> JackServerWatch::Start(PortGoneCallback portGone, void* context) {
    std::unique_ptr<JackServerWatch> watch(new JackServerWatch(portGone, context));
    jack_status_t status{};
    watch->m_client = jack_client_open("WinTesselTest watch", JackNoStartServer, &status);
    if (watch->m_client == nullptr) {
        return nullptr;
    }
    // Running before JACK can call, so that the callback never starts a thread.
    watch->m_reporter = std::thread([w = watch.get()] { w->ReportGonePorts(); });
    jack_on_info_shutdown(watch->m_client, OnShutdown, watch.get());
    jack_set_port_registration_callback(watch->m_client, OnPortRegistration, watch.get());
    if (jack_activate(watch->m_client) != 0) {
        return nullptr; // the destructor closes the client
    }
    return watch;
}

JackServerWatch::JackServerWatch(PortGoneCallback portGone, void* context)
    : m_portGone(portGone), m_context(context) {}

JackServerWatch::~JackServerWatch() {
    // No callback comes once the client is closed; with the server gone none comes at all.
    CloseJackClient(m_client, ServerGone());
    StopReporting();
}

void CloseJackClient(jack_client_t* client, bool serverGone) {
    if (client == nullptr) {
        return;
    }
    if (serverGone) {
        KeepAbandoned(client);
        return;
    }
    jack_client_close(client); // ends the client's threads first
}

void JackServerWatch::OnShutdown(jack_status_t, const char*, void* self) noexcept {
    // Called like a signal handler: nothing more than the flag.
    static_cast<JackServerWatch*>(self)->m_gone.store(true, std::memory_order_release);
}

void JackServerWatch::OnPortRegistration(jack_port_id_t port, int registered, void* self) noexcept {
    auto* watch = static_cast<JackServerWatch*>(self);
    if (registered != 0) {
        return;
    }
    // While the notice of its removal is handled, the port can still be looked up; its
    // name is copied now, as the reporting thread comes too late for that.
    const jack_port_t* gone = jack_port_by_id(watch->m_client, port);
    if (gone == nullptr) {
        return;
    }
    const uint32_t written = watch->m_written.load(std::memory_order_relaxed);
    if (written - watch->m_read.load(std::memory_order_acquire) == kPendingNames) {
        return; // the reporting thread is that far behind: this port goes unreported
    }
    char* name = watch->m_names[written & (kPendingNames - 1)];
    std::strncpy(name, jack_port_name(gone), kNameBytes - 1);
    name[kNameBytes - 1] = '\0';
    watch->m_written.store(written + 1, std::memory_order_release);
    watch->m_written.notify_one();
}

void JackServerWatch::ReportGonePorts() {
    uint32_t read = m_read.load(std::memory_order_relaxed);
    for (;;) {
        m_written.wait(read, std::memory_order_acquire);
        // Read before the stop flag: a count that includes the stop's own step comes
        // with the flag set, so the step is never taken for a name.
        const uint32_t written = m_written.load(std::memory_order_acquire);
        if (m_stopping.load(std::memory_order_acquire)) {
            return;
        }
        for (; read != written; ++read) {
            m_portGone(m_names[read & (kPendingNames - 1)], m_context);
            m_read.store(read + 1, std::memory_order_release);
        }
    }
}

void JackServerWatch::StopReporting() {
    if (!m_reporter.joinable()) {
        return;
    }
    m_stopping.store(true, std::memory_order_release);
    // Wakes the thread whatever it last saw; m_read keeps the callback's count honest,
    // and no callback runs any more.
    m_written.fetch_add(1, std::memory_order_release);
    m_written.notify_one();
    m_reporter.join();
}

void KeepAbandoned(const void* object) {
    // Reachable from here, so leak checkers do not count it.
    static auto* kept = new std::vector<const void*>;
    kept->push_back(object);
}
