#include "rtmidi/RtMidiApi.h"

#include <jack/jack.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr const char* kApiVariable = "WINTESSELTEST_MIDI_API";
constexpr auto kJackProbeLimit = std::chrono::seconds(3);

void Quiet(const char*) noexcept {}
void PrintJackError(const char* message) noexcept {
    std::fprintf(stderr, "JACK: %s\n", message);
}

std::string KnownApiNames() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::string names;
    for (RtMidi::Api api : apis) {
        names += (names.empty() ? "" : ", ") + RtMidi::getApiName(api);
    }
    return names;
}

// What the probe thread found; shared, because a probe that hangs outlives the caller.
struct JackProbe {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool reachable = false;
};

bool JackReachable(std::string* reason) {
    // The JACK library reports a missing server on standard error; asked quietly here.
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    // A JACK program that died holding a lock of JACK's shared metadata database makes
    // every client open wait for ever: the program must start all the same.
    auto probe = std::make_shared<JackProbe>();
    std::thread([probe] {
        jack_status_t status{};
        jack_client_t* client = jack_client_open("WinTesselTest probe", JackNoStartServer, &status);
        if (client != nullptr) {
            jack_client_close(client);
        }
        std::lock_guard lock(probe->mutex);
        probe->done = true;
        probe->reachable = client != nullptr;
        probe->finished.notify_all();
    }).detach();
    std::unique_lock lock(probe->mutex);
    const bool answered =
        probe->finished.wait_for(lock, kJackProbeLimit, [&] { return probe->done; });
    if (answered) {
        jack_set_error_function(PrintJackError);
    }
    if (!answered) {
        *reason = "the JACK library does not answer (a JACK program that died may have left a "
                  "lock in /dev/shm/jack_db-" +
                  std::to_string(getuid()) + ")";
        return false;
    }
    if (!probe->reachable) {
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        *reason = std::string("no JACK server is running") +
                  (server != nullptr ? std::string(" under the name '") + server + "'" : "");
        return false;
    }
    return true;
}

} // namespace

std::vector<RtMidi::Api> CandidateMidiApis(const std::string& forced, std::string* error) {
    std::string name = forced;
    const char* source = "--api";
    if (name.empty()) {
        if (const char* value = std::getenv(kApiVariable); value != nullptr && *value != '\0') {
            name = value;
            source = kApiVariable;
        }
    }
    if (name.empty()) {
        return {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
    }
    const RtMidi::Api api = RtMidi::getCompiledApiByName(name);
    if (api == RtMidi::UNSPECIFIED) {
        *error =
            "unknown MIDI API '" + name + "' in " + source + " (known: " + KnownApiNames() + ")";
        return {};
    }
    return {api};
}

MidiApiChoice ChooseMidiApi(const std::string& forced,
                            const std::function<bool(RtMidi::Api, std::string*)>& use) {
    MidiApiChoice choice;
    std::string reasons;
    const std::vector<RtMidi::Api> candidates = CandidateMidiApis(forced, &reasons);
    if (candidates.empty()) {
        choice.unknownName = true;
        choice.reason = reasons;
        return choice;
    }
    for (RtMidi::Api api : candidates) {
        std::string why;
        if (MidiApiReachable(api, &why) && (!use || use(api, &why))) {
            choice.api = api;
            return choice;
        }
        reasons += (reasons.empty() ? "" : "; ") + RtMidi::getApiDisplayName(api) + ": " + why;
    }
    choice.reason = "no MIDI system can be reached (" + reasons + ")";
    return choice;
}

bool MidiApiReachable(RtMidi::Api api, std::string* reason) {
    switch (api) {
    case RtMidi::LINUX_ALSA:
        if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
            *reason = "the ALSA sequencer /dev/snd/seq is missing or not accessible";
            return false;
        }
        return true;
    case RtMidi::UNIX_JACK:
        return JackReachable(reason);
    default:
        return true;
    }
}

MidiResult ResultOfRtMidiError(RtMidiError::Type type) {
    switch (type) {
    case RtMidiError::WARNING:
    case RtMidiError::DEBUG_WARNING:
        // A warning while opening means the port was not there to connect to.
        return MidiResult::NoDevice;
    case RtMidiError::NO_DEVICES_FOUND:
    case RtMidiError::INVALID_DEVICE:
        return MidiResult::BadDeviceId;
    case RtMidiError::MEMORY_ERROR:
        return MidiResult::NoMemory;
    case RtMidiError::INVALID_PARAMETER:
        return MidiResult::InvalidParameter;
    case RtMidiError::DRIVER_ERROR:
        return MidiResult::NotEnabled;
    default:
        return MidiResult::Error;
    }
}
