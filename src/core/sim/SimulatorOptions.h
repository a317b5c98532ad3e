#pragma once

#include <chrono>
#include <cstdint>

// How the simulated QZ4 behaves; the programs expose these as options.
struct SimulatorOptions {
    static constexpr int kMaxSensors = 1024;

    int sensors = 122;                       // values per scan packet, 0 to kMaxSensors
    uint64_t seed = 1;                       // noise and key motion follow from it
    std::chrono::microseconds latency{1000}; // from a request to its reply
};
