#pragma once

#include "sim/SimulatorOptions.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The QZ4 scanner box as far as the tool can see it: it answers the scan request
// F0 09 2B F7 with a scan packet, F0 09 44 <2 bytes> F7 with its setup text and
// F0 09 2A F7 with the setup information that carries the calibration bounds. Sensor
// values rest inside their calibration range with a little noise, and now and then a
// key goes down and comes back up (unless the keys are held still). Time advances one
// step per scan request, so the answers depend only on the options and the order of the
// requests. A sensor's faults act on its value after the model has made it, so that they
// leave every other sensor's values as they are for the same seed.
class Qz4Model {
public:
    // Calibration bounds travel for this many sensors, where the tool reads them.
    static constexpr int kCalibratedSensors = 122;
    // Words of the setup information: the lower bounds of sensor j sit in word
    // kCalibratedSensors + 56 + j, the last of them in word 299.
    static constexpr int kSetupWords = 2 * kCalibratedSensors + 56;

    explicit Qz4Model(const SimulatorOptions& options = {});

    // The reply to one whole request (F0 to F7), or nothing when the box does not answer.
    std::vector<uint8_t> Respond(const uint8_t* request, size_t size);

    int Sensors() const { return m_sensors; }
    // For 0 <= sensor < max(Sensors(), kCalibratedSensors).
    uint8_t CalibLow(int sensor) const { return m_low[static_cast<size_t>(sensor)]; }
    uint8_t CalibHigh(int sensor) const { return m_high[static_cast<size_t>(sensor)]; }
    // The setup text carried by the setup-text packet, without a line feed.
    const char* SetupText() const { return m_setupText; }

private:
    struct Key {
        int pressedAt = -1; // scan step of the press, -1 while at rest
        int holdSteps = 0;
    };

    // A fault as the model plays it: a noisy one draws from a generator of its own, so
    // that its draws never shift those of the other sensors.
    struct PlayedFault {
        SensorFault fault;
        uint64_t random = 0;
    };

    static uint64_t NextRandom(uint64_t& state);
    int RandomBelow(int bound);
    uint8_t SensorValue(int sensor);
    uint8_t FaultyValue(int sensor, uint8_t value);
    std::vector<uint8_t> ScanPacket();
    std::vector<uint8_t> SetupTextPacket() const;
    std::vector<uint8_t> SetupInformationPacket() const;

    int m_sensors = 0;
    uint64_t m_random = 0;
    bool m_still = false;
    std::vector<PlayedFault> m_faults;
    int m_step = 0;
    std::vector<uint8_t> m_low; // per sensor, at least kCalibratedSensors of them
    std::vector<uint8_t> m_high;
    std::vector<uint8_t> m_rest;
    std::vector<Key> m_keys;
    char m_setupText[96] = {};
};
