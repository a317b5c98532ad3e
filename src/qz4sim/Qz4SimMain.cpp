// qz4sim: the QZ4 model on real MIDI ports (RtMidi virtual ports on JACK or ALSA), so
// that another process can talk to a QZ4 across a real MIDI server.

#include "rtmidi/RtMidiApi.h"
#include "sim/Qz4Model.h"
#include "sim/SimulatorOptions.h"

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: qz4sim [--api jack|alsa] [--name NAME] [--sensors N] [--seed S]\n"
    "Plays a QZ4 scanner box on one virtual MIDI input and one virtual MIDI output\n"
    "whose client and port names contain NAME (default \"qz4sim\"). It answers scan,\n"
    "setup-text and setup-information requests until interrupted.\n"
    "  --api API      MIDI system to use (default: WINTESSELTEST_MIDI_API, else ALSA, then JACK)\n"
    "  --name NAME    name of the ports\n"
    "  --sensors N    values per scan packet, 0 to 1024 (default 122)\n"
    "  --seed S       seed of the noise and key motion (default 1)\n"
    "  --help         show this text\n";

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop.store(true);
}

// Requests as RtMidi's thread receives them, for the main thread to answer.
struct RequestQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::vector<unsigned char>> requests;
};

void OnRequest(double, std::vector<unsigned char>* message, void* queue) {
    auto* requests = static_cast<RequestQueue*>(queue);
    {
        std::lock_guard lock(requests->mutex);
        requests->requests.push_back(*message);
    }
    requests->arrived.notify_one();
}

struct Arguments {
    std::string api;
    std::string name = "qz4sim";
    SimulatorOptions simulator;
};

bool ParseNumber(const char* text, unsigned long long max, unsigned long long* value) {
    char* end = nullptr;
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    *value = std::strtoull(text, &end, 10);
    return *end == '\0' && *value <= max;
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
        if (option == "--api" && value != nullptr) {
            arguments->api = value;
        } else if (option == "--name" && value != nullptr && *value != '\0') {
            arguments->name = value;
        } else if (option == "--sensors" &&
                   ParseNumber(value, SimulatorOptions::kMaxSensors, &number)) {
            arguments->simulator.sensors = static_cast<int>(number);
        } else if (option == "--seed" && ParseNumber(value, UINT64_MAX, &number)) {
            arguments->simulator.seed = number;
        } else {
            std::fprintf(stderr, "qz4sim: bad argument '%s'%s\n%s", argv[i],
                         value == nullptr ? " (value missing?)" : "", kUsage);
            return 2;
        }
        ++i;
    }
    return -1;
}

void Report(RtMidiError::Type, const std::string& text, void*) {
    std::fprintf(stderr, "qz4sim: %s\n", text.c_str());
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (const int status = Parse(argc, argv, &arguments); status >= 0) {
        return status;
    }

    const MidiApiChoice choice = ChooseMidiApi(arguments.api);
    if (choice.api == RtMidi::UNSPECIFIED) {
        std::fprintf(stderr, "qz4sim: %s\n", choice.reason.c_str());
        return choice.unknownName ? 2 : 1;
    }
    const RtMidi::Api api = choice.api;

    try {
        RequestQueue queue;
        RtMidiIn in(api, arguments.name + " input");
        RtMidiOut out(api, arguments.name + " output");
        in.setErrorCallback(Report, nullptr);
        out.setErrorCallback(Report, nullptr);
        in.ignoreTypes(false, true, true);
        in.setCallback(OnRequest, &queue);
        in.openVirtualPort(arguments.name + " in");
        out.openVirtualPort(arguments.name + " out");

        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::printf("qz4sim: ready on %s: requests to '%s in', replies from '%s out'\n",
                    RtMidi::getApiDisplayName(api).c_str(), arguments.name.c_str(),
                    arguments.name.c_str());
        std::fflush(stdout);

        Qz4Model model(arguments.simulator);
        while (!g_stop.load()) {
            std::vector<unsigned char> request;
            {
                std::unique_lock lock(queue.mutex);
                // Woken by requests; the timeout lets a signal end the loop.
                queue.arrived.wait_for(lock, std::chrono::milliseconds(50),
                                       [&] { return !queue.requests.empty(); });
                if (queue.requests.empty()) {
                    continue;
                }
                request = std::move(queue.requests.front());
                queue.requests.pop_front();
            }
            const std::vector<uint8_t> reply = model.Respond(request.data(), request.size());
            if (!reply.empty()) {
                std::this_thread::sleep_for(arguments.simulator.latency);
                out.sendMessage(reply.data(), reply.size());
            }
        }
        // RtMidi's thread may still be in the callback when closePort returns: give it
        // a few JACK periods before the queue and the client go away.
        in.closePort();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    } catch (const RtMidiError& error) {
        std::fprintf(stderr, "qz4sim: %s\n", error.getMessage().c_str());
        return 1;
    }
    return 0;
}
