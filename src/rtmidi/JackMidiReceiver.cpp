#include "rtmidi/JackMidiReceiver.h"

#include "rtmidi/JackServerWatch.h"

#include <jack/midiport.h>

#include <chrono>
#include <thread>

std::unique_ptr<JackMidiReceiver> JackMidiReceiver::Open(const std::string& clientName,
                                                         Handler handler, void* context,
                                                         std::string* why) {
    std::unique_ptr<JackMidiReceiver> receiver(new JackMidiReceiver(handler, context));
    jack_status_t status{};
    receiver->m_client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (receiver->m_client == nullptr) {
        *why = "the JACK server can't be reached";
        return nullptr;
    }
    jack_on_info_shutdown(receiver->m_client, OnShutdown, receiver.get());
    if (jack_set_process_callback(receiver->m_client, OnProcess, receiver.get()) != 0 ||
        jack_activate(receiver->m_client) != 0) {
        *why = "the JACK server refused the client";
        return nullptr; // the destructor closes the client
    }
    return receiver;
}

JackMidiReceiver::JackMidiReceiver(Handler handler, void* context)
    : m_handler(handler), m_context(context) {}

JackMidiReceiver::~JackMidiReceiver() {
    CloseJackClient(m_client, ServerGone()); // closing ends the process thread first
}

void JackMidiReceiver::Abandon(std::unique_ptr<JackMidiReceiver> receiver) {
    if (receiver) {
        KeepAbandoned(receiver.release());
    }
}

std::vector<std::string> JackMidiReceiver::Sources() const {
    std::vector<std::string> names;
    const char** ports =
        jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (ports == nullptr) {
        return names;
    }
    for (const char** port = ports; *port != nullptr; ++port) {
        names.emplace_back(*port);
    }
    jack_free(ports);
    return names;
}

bool JackMidiReceiver::RegisterPort(const std::string& portName) {
    if (m_port.load() != nullptr) {
        return true;
    }
    jack_port_t* port =
        jack_port_register(m_client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    m_port.store(port, std::memory_order_release);
    return port != nullptr;
}

bool JackMidiReceiver::ConnectFrom(const std::string& source) {
    const jack_port_t* port = m_port.load();
    return port != nullptr && jack_connect(m_client, source.c_str(), jack_port_name(port)) == 0;
}

void JackMidiReceiver::UnregisterPort() {
    jack_port_t* port = m_port.exchange(nullptr);
    if (port == nullptr) {
        return;
    }
    // A cycle that read the port before the exchange finishes with it first.
    while (m_inProcess.load() != 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    if (!ServerGone()) {
        jack_port_unregister(m_client, port);
    }
}

int JackMidiReceiver::OnProcess(jack_nframes_t frames, void* self) noexcept {
    auto* receiver = static_cast<JackMidiReceiver*>(self);
    receiver->m_inProcess.fetch_add(1);
    if (jack_port_t* port = receiver->m_port.load(std::memory_order_acquire)) {
        void* buffer = jack_port_get_buffer(port, frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
                receiver->m_handler(event.buffer, event.size, receiver->m_context);
            }
        }
    }
    receiver->m_inProcess.fetch_sub(1);
    return 0;
}

void JackMidiReceiver::OnShutdown(jack_status_t, const char*, void* self) noexcept {
    // Called like a signal handler: nothing more than the flag.
    static_cast<JackMidiReceiver*>(self)->m_gone.store(true, std::memory_order_release);
}
