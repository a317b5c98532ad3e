#include "rtmidi/JackServerWatch.h"

#include <vector>

std::unique_ptr<JackServerWatch> JackServerWatch::Start(PortGoneCallback portGone, void* context) {
    std::unique_ptr<JackServerWatch> watch(new JackServerWatch(portGone, context));
    jack_status_t status{};
    watch->m_client = jack_client_open("WinTesselTest watch", JackNoStartServer, &status);
    if (watch->m_client == nullptr) {
        return nullptr;
    }
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
    CloseJackClient(m_client, ServerGone());
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

void JackServerWatch::OnShutdown(jack_status_t, const char*, void* self) {
    // Called like a signal handler: nothing more than the flag.
    static_cast<JackServerWatch*>(self)->m_gone.store(true, std::memory_order_release);
}

void JackServerWatch::OnPortRegistration(jack_port_id_t port, int registered, void* self) {
    auto* watch = static_cast<JackServerWatch*>(self);
    if (registered != 0) {
        return;
    }
    // While the notice of its removal is handled, the port can still be looked up.
    if (const jack_port_t* gone = jack_port_by_id(watch->m_client, port)) {
        watch->m_portGone(jack_port_name(gone), watch->m_context);
    }
}

void KeepAbandoned(const void* object) {
    // Reachable from here, so leak checkers do not count it.
    static auto* kept = new std::vector<const void*>;
    kept->push_back(object);
}
