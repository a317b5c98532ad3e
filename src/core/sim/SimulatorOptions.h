#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A sensor that misbehaves on purpose, so that a bench's limits and the diagnosis can be
// tried without a faulty box: `Noisy` adds a uniform whole number in [-amount, amount]
// to its value on every scan, `Stuck` holds it at `amount`.
struct SensorFault {
    enum class Kind { Noisy, Stuck };

    int sensor = 0; // index into a scan's values
    Kind kind = Kind::Noisy;
    int amount = 0; // 0 to 255

    bool operator==(const SensorFault&) const = default;
};

// How the simulated QZ4 behaves; the programs expose these as options.
struct SimulatorOptions {
    static constexpr int kMaxSensors = 1024;

    int sensors = 122;                       // values per scan packet, 0 to kMaxSensors
    uint64_t seed = 1;                       // noise and key motion follow from it
    std::chrono::microseconds latency{1000}; // from a request to its reply
    std::vector<SensorFault> faults = {};    // applied in this order
    bool still = false;                      // every key stays at rest
};

// What a fault's text looks like, for a program's usage message.
constexpr const char* kSensorFaultSyntax =
    "I:noisy:A or I:stuck:V (I a sensor from 0 to 1023, A and V from 0 to 255)";

// "I:noisy:A" or "I:stuck:V", whole numbers in decimal digits. Nothing, with `error`
// naming `text` and saying what is wanted, when it is neither.
std::optional<SensorFault> ParseSensorFault(const std::string& text, std::string* error);
