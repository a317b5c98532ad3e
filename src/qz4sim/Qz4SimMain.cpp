// qz4sim: the QZ4 model on real MIDI ports, so that another process can talk to a QZ4
// across a real MIDI server. Its ports are RtMidi's virtual ports, but for the input
// on JACK, which is a JACK port of its own.

#include "files/StandardDescriptors.h"
#include "rtmidi/JackMidiReceiver.h"
#include "rtmidi/JackServerWatch.h"
#include "rtmidi/RtMidiApi.h"
#include "services/DeviceLookup.h"
#include "sim/Qz4Model.h"
#include "sim/RequestQueue.h"
#include "sim/SimulatorOptions.h"

#include <RtMidi.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: qz4sim [--api jack|alsa] [--name NAME] [--sensors N] [--seed S]\n"
    "              [--fault FAULT]... [--still]\n"
    "Plays a QZ4 scanner box on one virtual MIDI input and one virtual MIDI output\n"
    "whose client and port names contain NAME (default \"qz4sim\"). It answers scan,\n"
    "setup-text and setup-information requests until interrupted, or until its JACK\n"
    "server goes away (status 1).\n"
    "  --api API      MIDI system to use (default: WINTESSELTEST_MIDI_API, else ALSA, then JACK)\n"
    "  --name NAME    name of the ports\n"
    "  --sensors N    values per scan packet, 0 to 1024 (default 122)\n"
    "  --seed S       seed of the noise and key motion (default 1)\n"
    "  --fault FAULT  I:noisy:A adds a whole number from -A to A to every value of\n"
    "                 sensor I, I:stuck:V holds it at V; may be given again\n"
    "  --still        keep the keys at rest: only the noise and faults move values\n"
    "  --help         show this text\n"
    "  --version      show the version\n";

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop.store(true);
}

void OnRtMidiRequest(double, std::vector<unsigned char>* message, void* queue) {
    static_cast<RequestQueue*>(queue)->Receive(message->data(), message->size());
}

void OnJackRequest(const unsigned char* bytes, size_t size, void* queue) noexcept {
    static_cast<RequestQueue*>(queue)->Receive(bytes, size);
}

struct Arguments {
    std::string api;
    std::string name = "qz4sim";
    SimulatorOptions simulator;
};

// strtoull gives its largest value for a number past it: a seed of 20 nines is refused,
// not taken as 18446744073709551615.
bool ParseNumber(const char* text, unsigned long long max, unsigned long long* value) {
    char* end = nullptr;
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    errno = 0;
    *value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && *value <= max;
}

bool NumericOption(const std::string& option) {
    return option == "--sensors" || option == "--seed";
}

// Returns -1 when the arguments are fine, else the exit status.
int Parse(int argc, char** argv, Arguments* arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long number = 0;
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("qz4sim %s\n", WT_VERSION);
            return 0;
        }
        if (option == "--api" && value != nullptr) {
            arguments->api = value;
        } else if (option == "--name" && value != nullptr && *value != '\0') {
            arguments->name = value;
        } else if (option == "--sensors" &&
                   ParseNumber(value, SimulatorOptions::kMaxSensors, &number)) {
            arguments->simulator.sensors = static_cast<int>(number);
        } else if (option == "--seed" && ParseNumber(value, UINT64_MAX, &number)) {
            arguments->simulator.seed = number;
        } else if (option == "--still") {
            arguments->simulator.still = true;
            continue;
        } else if (option == "--fault" && value != nullptr) {
            std::string error;
            const std::optional<SensorFault> fault = ParseSensorFault(value, &error);
            if (!fault) {
                std::fprintf(stderr, "qz4sim: %s\n%s", EscapedControlCharacters(error).c_str(),
                             kUsage);
                return 2;
            }
            arguments->simulator.faults.push_back(*fault);
        } else if (NumericOption(option) && value != nullptr) {
            std::fprintf(stderr, "qz4sim: bad value '%s' for '%s'\n%s",
                         EscapedControlCharacters(value).c_str(), option.c_str(), kUsage);
            return 2;
        } else {
            std::fprintf(stderr, "qz4sim: bad argument '%s'%s\n%s",
                         EscapedControlCharacters(argv[i]).c_str(),
                         value == nullptr ? " (value missing?)" : "", kUsage);
            return 2;
        }
        ++i;
    }
    return -1;
}

std::atomic<bool> g_portError{false};

void Report(RtMidiError::Type type, const std::string& text, void*) {
    std::fprintf(stderr, "qz4sim: %s\n", text.c_str());
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) {
        g_portError.store(true);
    }
}

// The input: RtMidi's, or on JACK a receiver of our own, which passes a SysEx on in the
// pieces it comes in (RtMidi's JACK input would hold an unfinished one without limit).
struct RequestInput {
    std::unique_ptr<RtMidiIn> rtMidi;
    std::unique_ptr<JackMidiReceiver> jack;

    bool ServerGone() const { return jack && jack->ServerGone(); }
};

bool OpenInput(RtMidi::Api api, const std::string& name, RequestQueue* queue, RequestInput* input) {
    if (api != RtMidi::UNIX_JACK) {
        input->rtMidi = std::make_unique<RtMidiIn>(api, name + " input");
        input->rtMidi->setErrorCallback(Report, nullptr);
        input->rtMidi->ignoreTypes(false, true, true);
        input->rtMidi->setCallback(OnRtMidiRequest, queue);
        input->rtMidi->openVirtualPort(name + " in");
        return !g_portError.load(); // isPortOpen() stays false for virtual ports
    }
    std::string why;
    input->jack = JackMidiReceiver::Open(name + " input", OnJackRequest, queue, &why);
    if (!input->jack) {
        std::fprintf(stderr, "qz4sim: %s\n", why.c_str());
        return false;
    }
    if (!input->jack->RegisterPort(name + " in")) {
        std::fprintf(stderr, "qz4sim: JACK refused the port '%s in'\n",
                     EscapedDeviceName(name).c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Before JACK or ALSA open anything: a closed descriptor 1 or 2 would otherwise be
    // taken by one of their files, and the ready line written into it.
    ReopenClosedStandardDescriptors();
    Arguments arguments;
    if (const int status = Parse(argc, argv, &arguments); status >= 0) {
        return status;
    }

    const MidiApiChoice choice = ChooseMidiApi(arguments.api);
    if (choice.api == RtMidi::UNSPECIFIED) {
        std::fprintf(stderr, "qz4sim: %s\n", EscapedControlCharacters(choice.reason).c_str());
        return choice.unknownName ? 2 : 1;
    }
    const RtMidi::Api api = choice.api;

    // Static: the MIDI thread may still write into it while the process ends.
    static RequestQueue queue;
    try {
        RequestInput input;
        auto out = std::make_unique<RtMidiOut>(api, arguments.name + " output");
        out->setErrorCallback(Report, nullptr);
        const bool inputOpen = OpenInput(api, arguments.name, &queue, &input);
        out->openVirtualPort(arguments.name + " out");
        if (!inputOpen || g_portError.load()) {
            std::fprintf(stderr, "qz4sim: the ports could not be opened\n");
            return 1;
        }

        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        // The name is the user's, and reaches a terminal or a reader of this line.
        const std::string name = EscapedDeviceName(arguments.name);
        std::printf("qz4sim: ready on %s: requests to '%s in', replies from '%s out'\n",
                    RtMidi::getApiDisplayName(api).c_str(), name.c_str(), name.c_str());
        std::fflush(stdout);

        Qz4Model model(arguments.simulator);
        std::vector<uint8_t> request;
        while (!g_stop.load()) {
            if (input.ServerGone()) {
                // Every client of the server is dead: using or closing one crashes.
                std::fprintf(stderr, "qz4sim: the JACK server went away\n");
                JackMidiReceiver::Abandon(std::move(input.jack));
                KeepAbandoned(out.release());
                return 1;
            }
            if (!queue.Take(&request)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const std::vector<uint8_t> reply = model.Respond(request.data(), request.size());
            if (!reply.empty()) {
                std::this_thread::sleep_for(arguments.simulator.latency);
                out->sendMessage(reply.data(), reply.size());
            }
        }
        if (input.rtMidi) {
            input.rtMidi->closePort();
        }
    } catch (const RtMidiError& error) {
        std::fprintf(stderr, "qz4sim: %s\n", error.getMessage().c_str());
        return 1;
    }
    if (queue.DroppedTooLong() + queue.DroppedQueueFull() + queue.DroppedUnfinished() > 0) {
        std::fprintf(
            stderr,
            "qz4sim: requests dropped: %u too long, %u unfinished, %u with the queue full\n",
            queue.DroppedTooLong(), queue.DroppedUnfinished(), queue.DroppedQueueFull());
    }
    return 0;
}
