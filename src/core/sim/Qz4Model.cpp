#include "sim/Qz4Model.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr uint8_t kDeviceByte = 0x09;
constexpr uint8_t kScanRequestCommand = 0x2B;
constexpr uint8_t kSetupTextRequestCommand = 0x44;
constexpr uint8_t kSetupInformationRequestCommand = 0x2A;
constexpr uint8_t kScanPacketCommand = 0x15;
constexpr uint8_t kSetupTextPacketCommand = 0x11;
constexpr uint8_t kSetupInformationPacketCommand = 0x30;
constexpr int kSetupInformationUnreadBytes = 9; // positions 3 to 11

// A key goes down over kRampSteps steps, stays down, and comes back up as slowly.
constexpr int kRampSteps = 4;
constexpr int kPressChance = 600; // one in this many per resting key and step

bool IsRequest(const uint8_t* request, size_t size, uint8_t command, size_t expectedSize) {
    return size == expectedSize && request[0] == kSysexStart && request[1] == kDeviceByte &&
           request[2] == command && request[size - 1] == kSysexEnd;
}

} // namespace

Qz4Model::Qz4Model(const SimulatorOptions& options)
    : m_sensors(std::clamp(options.sensors, 0, SimulatorOptions::kMaxSensors)),
      m_random(options.seed), m_still(options.still) {
    const auto modelled = static_cast<size_t>(std::max(m_sensors, kCalibratedSensors));
    m_low.resize(modelled);
    m_high.resize(modelled);
    m_rest.resize(modelled);
    m_keys.resize(modelled);
    for (size_t j = 0; j < modelled; ++j) {
        m_low[j] = static_cast<uint8_t>(16 + RandomBelow(24));
        m_high[j] = static_cast<uint8_t>(200 + RandomBelow(40));
        m_rest[j] =
            static_cast<uint8_t>(m_low[j] + (m_high[j] - m_low[j]) * 3 / 4 + RandomBelow(8));
    }
    for (const SensorFault& fault : options.faults) {
        // Seeded by the sensor and the faults before it on the same sensor, not by its
        // place in the list: naming another sensor's fault first changes nothing here.
        uint64_t random =
            options.seed ^ (0xD1B54A32D192ED03ull * (static_cast<uint64_t>(fault.sensor) + 1));
        for (const PlayedFault& earlier : m_faults) {
            random += earlier.fault.sensor == fault.sensor ? 0x8CB92BA72F3D8DD7ull : 0;
        }
        m_faults.push_back({fault, random});
    }
    std::snprintf(m_setupText, sizeof m_setupText, "QZ4 SIMULATOR %d SENSORS SEED %" PRIu64,
                  m_sensors, options.seed);
}

uint64_t Qz4Model::NextRandom(uint64_t& state) {
    // splitmix64: small, fast and the same on every platform.
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Qz4Model::RandomBelow(int bound) {
    return static_cast<int>(NextRandom(m_random) % static_cast<uint64_t>(bound));
}

uint8_t Qz4Model::SensorValue(int sensor) {
    const auto at = static_cast<size_t>(sensor);
    Key& key = m_keys[at];
    int value = m_rest[at];
    if (key.pressedAt < 0 && RandomBelow(kPressChance) == 0) {
        key.pressedAt = m_step;
        key.holdSteps = 5 + RandomBelow(26);
    }
    if (key.pressedAt >= 0) {
        const int since = m_step - key.pressedAt;
        const int total = 2 * kRampSteps + key.holdSteps;
        const int depth = std::min({since + 1, kRampSteps, total - since});
        const int bottom = m_low[at] + 3;
        // Held still, a key goes through its motion unseen: its draws stay those of a
        // moving key, and so the noise of every sensor stays the same.
        value -= m_still ? 0 : (value - bottom) * depth / kRampSteps;
        if (since + 1 >= total) {
            key.pressedAt = -1;
        }
    }
    static constexpr int kNoise[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  0, 0,
                                       0, 0, 0, 0, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1, 2, -2};
    value += kNoise[RandomBelow(32)];
    return FaultyValue(sensor,
                       static_cast<uint8_t>(std::clamp(value, int{m_low[at]}, int{m_high[at]})));
}

uint8_t Qz4Model::FaultyValue(int sensor, uint8_t value) {
    int faulty = value;
    for (PlayedFault& played : m_faults) {
        if (played.fault.sensor != sensor) {
            continue;
        }
        const int amount = played.fault.amount;
        if (played.fault.kind == SensorFault::Kind::Stuck) {
            faulty = amount;
        } else {
            faulty += static_cast<int>(NextRandom(played.random) %
                                       static_cast<uint64_t>(2 * amount + 1)) -
                      amount;
        }
        faulty = std::clamp(faulty, 0, 255);
    }
    return static_cast<uint8_t>(faulty);
}

// Each packet is sized first and then filled by position: the positions are what the
// receiver reads.
std::vector<uint8_t> Qz4Model::ScanPacket() {
    std::vector<uint8_t> packet(static_cast<size_t>(3 + 2 * m_sensors + 1));
    packet[0] = kSysexStart;
    packet[1] = kDeviceByte;
    packet[2] = kScanPacketCommand;
    for (int j = 0; j < m_sensors; ++j) {
        const uint8_t value = SensorValue(j);
        const auto at = static_cast<size_t>(3 + 2 * j);
        packet[at] = value >> 4; // scan values put the high nibble first
        packet[at + 1] = value & 0x0F;
    }
    packet.back() = kSysexEnd;
    ++m_step;
    return packet;
}

std::vector<uint8_t> Qz4Model::SetupTextPacket() const {
    const size_t length = std::strlen(m_setupText);
    std::vector<uint8_t> packet(3 + length + 1);
    packet[0] = kSysexStart;
    packet[1] = kDeviceByte;
    packet[2] = kSetupTextPacketCommand;
    std::memcpy(packet.data() + 3, m_setupText, length);
    packet.back() = kSysexEnd;
    return packet;
}

std::vector<uint8_t> Qz4Model::SetupInformationPacket() const {
    std::vector<int> words(kSetupWords, 0);
    words[0] = kCalibratedSensors;
    for (size_t j = 0; j < size_t{kCalibratedSensors}; ++j) {
        words[12 + j] = m_high[j];
        words[kCalibratedSensors + 56 + j] = m_low[j];
    }
    // Positions 3 to 11 are not read; they stay 0.
    std::vector<uint8_t> packet(3 + kSetupInformationUnreadBytes + 2 * kSetupWords + 1, 0x00);
    packet[0] = kSysexStart;
    packet[1] = kDeviceByte;
    packet[2] = kSetupInformationPacketCommand;
    for (size_t w = 0; w < size_t{kSetupWords}; ++w) {
        packet[12 + 2 * w] = words[w] & 0x0F; // setup words put the low nibble first
        packet[13 + 2 * w] = (words[w] >> 4) & 0x0F;
    }
    packet.back() = kSysexEnd;
    return packet;
}

std::vector<uint8_t> Qz4Model::Respond(const uint8_t* request, size_t size) {
    if (IsRequest(request, size, kScanRequestCommand, 4)) {
        return ScanPacket();
    }
    if (IsRequest(request, size, kSetupTextRequestCommand, 6)) {
        return SetupTextPacket();
    }
    if (IsRequest(request, size, kSetupInformationRequestCommand, 4)) {
        return SetupInformationPacket();
    }
    return {};
}
