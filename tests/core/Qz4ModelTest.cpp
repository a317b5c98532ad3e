#include "sim/Qz4Model.h"
#include "sim/RequestQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kScanRequest{0xF0, 0x09, 0x2B, 0xF7};
const Bytes kSetupTextRequest{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
const Bytes kSetupInformationRequest{0xF0, 0x09, 0x2A, 0xF7};

Bytes Ask(Qz4Model& model, const Bytes& request) {
    return model.Respond(request.data(), request.size());
}

// Values of a scan packet, high nibble first.
std::vector<int> ScanValues(const Bytes& packet) {
    std::vector<int> values;
    for (size_t at = 3; at + 2 < packet.size(); at += 2) {
        values.push_back((packet[at] & 0x0F) * 16 + (packet[at + 1] & 0x0F));
    }
    return values;
}

TEST(Qz4Model, AScanPacketCarriesOneNibblePairPerSensorWithinItsCalibration) {
    Qz4Model model;

    const Bytes packet = Ask(model, kScanRequest);

    ASSERT_EQ(packet.size(), 3u + 2 * 122 + 1);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 3), (Bytes{0xF0, 0x09, 0x15}));
    EXPECT_EQ(packet.back(), 0xF7);
    EXPECT_TRUE(
        std::all_of(packet.begin() + 3, packet.end() - 1, [](uint8_t b) { return b < 16; }));
    const std::vector<int> values = ScanValues(packet);
    for (int j = 0; j < 122; ++j) {
        EXPECT_GE(values[j], model.CalibLow(j)) << "sensor " << j;
        EXPECT_LE(values[j], model.CalibHigh(j)) << "sensor " << j;
    }
}

TEST(Qz4Model, TheSensorCountSetsTheScanLength) {
    for (int sensors : {0, 1, 10, 140, 200}) {
        Qz4Model model(SimulatorOptions{.sensors = sensors});
        EXPECT_EQ(ScanValues(Ask(model, kScanRequest)).size(), static_cast<size_t>(sensors));
    }
}

TEST(Qz4Model, SetupInformationPutsTheBoundsInTheWordsTheDecoderReads) {
    Qz4Model model;

    const Bytes packet = Ask(model, kSetupInformationRequest);

    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 3), (Bytes{0xF0, 0x09, 0x30}));
    ASSERT_EQ(packet.size(), 12u + 2 * 300 + 1); // 9 unread bytes, 300 words, F7
    EXPECT_GT(packet.size(), 512u);
    const auto word = [&](int w) {
        return (packet[13 + 2 * w] & 0x0F) * 16 + (packet[12 + 2 * w] & 0x0F);
    };
    for (int j = 0; j < 122; ++j) {
        EXPECT_EQ(word(12 + j), model.CalibHigh(j)) << "sensor " << j;
        EXPECT_EQ(word(122 + 56 + j), model.CalibLow(j)) << "sensor " << j;
        EXPECT_LT(model.CalibLow(j), model.CalibHigh(j));
    }
    EXPECT_EQ(packet.back(), 0xF7);
}

TEST(Qz4Model, TheSetupTextPacketCarriesTheTextBetweenHeaderAndEnd) {
    Qz4Model model(SimulatorOptions{.sensors = 122, .seed = 7});

    const Bytes packet = Ask(model, kSetupTextRequest);

    const std::string text(packet.begin() + 3, packet.end() - 1);
    EXPECT_EQ(text, "QZ4 SIMULATOR 122 SENSORS SEED 7");
    EXPECT_EQ(text, model.SetupText());
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 3), (Bytes{0xF0, 0x09, 0x11}));
    EXPECT_EQ(packet.back(), 0xF7);
}

TEST(Qz4Model, AnythingElseGetsNoAnswer) {
    const Bytes others[] = {
        {},
        {0xF0, 0x09, 0x2C, 0xF7},       // another command
        {0xF0, 0x08, 0x2B, 0xF7},       // another device
        {0xF0, 0x09, 0x2B},             // no end
        {0xF0, 0x09, 0x2B, 0x00, 0xF7}, // a scan request with a payload
        {0xF0, 0x09, 0x44, 0xF7},       // a setup-text request without its two bytes
        {0x90, 0x3C, 0x40},             // a note
    };
    Qz4Model model;
    for (const Bytes& request : others) {
        EXPECT_EQ(Ask(model, request), Bytes{});
    }
}

TEST(Qz4Model, TheSameSeedGivesTheSameAnswersAndAnotherSeedOthers) {
    Qz4Model first(SimulatorOptions{.seed = 42});
    Qz4Model again(SimulatorOptions{.seed = 42});
    Qz4Model other(SimulatorOptions{.seed = 43});
    bool differs = false;
    for (int scan = 0; scan < 50; ++scan) {
        const Bytes packet = Ask(first, kScanRequest);
        EXPECT_EQ(Ask(again, kScanRequest), packet);
        differs = differs || Ask(other, kScanRequest) != packet;
    }
    EXPECT_TRUE(differs);
}

TEST(Qz4Model, ValuesStayNearRestWithALittleNoiseWhileSomeKeysGoDownAndUp) {
    Qz4Model model;
    constexpr int kScans = 3000;
    std::vector<std::vector<int>> history(122);
    for (int scan = 0; scan < kScans; ++scan) {
        const std::vector<int> values = ScanValues(Ask(model, kScanRequest));
        for (int j = 0; j < 122; ++j) {
            history[j].push_back(values[j]);
        }
    }
    int keysPressed = 0;
    int noisySensors = 0;
    for (int j = 0; j < 122; ++j) {
        const int low = model.CalibLow(j);
        const int range = model.CalibHigh(j) - low;
        bool down = false;
        bool backUp = false;
        for (int value : history[j]) {
            down = down || value < low + range / 4;
            backUp = backUp || (down && value > low + range / 2);
        }
        keysPressed += backUp ? 1 : 0;
        const auto [minimum, maximum] =
            std::minmax_element(history[j].begin(), history[j].begin() + 20);
        noisySensors += *maximum - *minimum <= 4 && *maximum > *minimum ? 1 : 0;
    }
    EXPECT_GT(keysPressed, 10);
    EXPECT_GT(noisySensors, 100);
}

std::vector<std::vector<int>> Scans(Qz4Model& model, int count) {
    std::vector<std::vector<int>> scans;
    for (int scan = 0; scan < count; ++scan) {
        scans.push_back(ScanValues(Ask(model, kScanRequest)));
    }
    return scans;
}

TEST(Qz4Model, StillKeysLeaveOnlyTheNoiseOfAtMostTwoAroundRest) {
    Qz4Model moving(SimulatorOptions{.seed = 5});
    Qz4Model still(SimulatorOptions{.seed = 5, .still = true});
    const std::vector<std::vector<int>> movingScans = Scans(moving, 3000);
    const std::vector<std::vector<int>> stillScans = Scans(still, 3000);

    int sensorsThatMoved = 0;
    for (int j = 0; j < 122; ++j) {
        int low = 255;
        int high = 0;
        bool moved = false;
        for (int scan = 0; scan < 3000; ++scan) {
            low = std::min(low, stillScans[scan][j]);
            high = std::max(high, stillScans[scan][j]);
            moved = moved || (scan < 100 && movingScans[scan][j] != stillScans[scan][j]);
        }
        EXPECT_LE(high - low, 4) << "sensor " << j;
        sensorsThatMoved += moved ? 1 : 0;
    }
    // Over the first 100 scans a few keys went down; the others have the same noise
    // either way.
    EXPECT_GT(sensorsThatMoved, 0);
    EXPECT_LT(sensorsThatMoved, 61);
}

TEST(Qz4Model, FaultsChangeTheirSensorAloneAndTheSameWayEveryTime) {
    const SimulatorOptions healthy{.seed = 9};
    SimulatorOptions faulty = healthy;
    faulty.faults = {{23, SensorFault::Kind::Noisy, 20}, {40, SensorFault::Kind::Stuck, 77}};
    Qz4Model healthyModel(healthy);
    Qz4Model faultyModel(faulty);
    Qz4Model faultyAgain(faulty);
    const std::vector<std::vector<int>> expected = Scans(healthyModel, 400);
    const std::vector<std::vector<int>> scans = Scans(faultyModel, 400);

    EXPECT_EQ(Scans(faultyAgain, 400), scans);
    std::vector<int> offsets;
    for (int scan = 0; scan < 400; ++scan) {
        for (int j = 0; j < 122; ++j) {
            if (j == 40) {
                EXPECT_EQ(scans[scan][j], 77) << "scan " << scan;
            } else if (j == 23) {
                offsets.push_back(scans[scan][j] - expected[scan][j]);
            } else {
                ASSERT_EQ(scans[scan][j], expected[scan][j]) << "scan " << scan << " sensor " << j;
            }
        }
    }
    const auto [least, most] = std::minmax_element(offsets.begin(), offsets.end());
    EXPECT_EQ(*least, -20);
    EXPECT_EQ(*most, 20);
}

TEST(Qz4Model, AFaultyValueIsClampedToAByte) {
    SimulatorOptions options{.sensors = 2};
    options.faults = {{0, SensorFault::Kind::Stuck, 250},
                      {0, SensorFault::Kind::Noisy, 255},
                      {1, SensorFault::Kind::Stuck, 3},
                      {1, SensorFault::Kind::Noisy, 200}};
    Qz4Model model(options);
    bool top = false;
    bool bottom = false;
    for (const std::vector<int>& values : Scans(model, 200)) {
        EXPECT_TRUE(values[0] >= 0 && values[0] <= 255 && values[1] >= 0 && values[1] <= 255);
        top = top || values[0] == 255;
        bottom = bottom || values[1] == 0;
    }
    EXPECT_TRUE(top);
    EXPECT_TRUE(bottom);
}

struct FaultCase {
    const char* text;
    std::optional<SensorFault> fault;
};

TEST(SensorFault, ParsesNoisyAndStuckAndNamesAnythingElse) {
    using Kind = SensorFault::Kind;
    const FaultCase cases[] = {
        {"23:noisy:20", SensorFault{23, Kind::Noisy, 20}},
        {"40:stuck:77", SensorFault{40, Kind::Stuck, 77}},
        {"1023:stuck:255", SensorFault{1023, Kind::Stuck, 255}},
        {"007:noisy:0", SensorFault{7, Kind::Noisy, 0}},
        {"1024:stuck:1", std::nullopt},        // past the largest sensor count
        {"1:stuck:256", std::nullopt},         // not a byte
        {"1:loud:2", std::nullopt},            // no such fault
        {"1:Noisy:2", std::nullopt},           // kinds are lower case
        {"-1:noisy:2", std::nullopt},          // no sign
        {"1:noisy:+2", std::nullopt},          // no sign
        {"1:noisy", std::nullopt},             // no amount
        {"1:noisy:2:3", std::nullopt},         // one amount
        {"1:noisy:", std::nullopt},            // an empty amount
        {":noisy:2", std::nullopt},            // an empty sensor
        {"1 :noisy:2", std::nullopt},          // no blanks
        {"99999999999:noisy:2", std::nullopt}, // past an int
        {"", std::nullopt},
    };
    for (const FaultCase& c : cases) {
        std::string error;
        EXPECT_EQ(ParseSensorFault(c.text, &error), c.fault) << c.text;
        EXPECT_EQ(error, c.fault ? ""
                                 : std::string("bad fault '") + c.text + "': expected " +
                                       kSensorFaultSyntax)
            << c.text;
    }
}

// What a simulated box's input made of the bytes it received, in order.
std::vector<Bytes> Requests(RequestQueue& queue) {
    std::vector<Bytes> requests;
    Bytes request;
    while (queue.Take(&request)) {
        requests.push_back(request);
    }
    return requests;
}

TEST(RequestQueue, GathersSysexFromPiecesAndSkipsWhatTheBoxNeverAnswers) {
    RequestQueue queue;
    const Bytes stream{0x90, 0x3C, 0x40,             // a note
                       0xF0, 0x09, 0xF8, 0x2B, 0xF7, // a clock byte inside a request
                       0x01, 0xF7,                   // stray data and end
                       0xF0, 0x09, 0x44,             // cut short by a status byte...
                       0xB0, 0x07, 0x00,             // ...here
                       0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
    // In pieces, as JACK hands a SysEx over, and all at once.
    for (const Bytes& piece :
         {Bytes(stream.begin(), stream.begin() + 7), Bytes(stream.begin() + 7, stream.begin() + 20),
          Bytes(stream.begin() + 20, stream.end())}) {
        queue.Receive(piece.data(), piece.size());
    }
    queue.Receive(stream.data(), stream.size());

    const Bytes scan{0xF0, 0x09, 0x2B, 0xF7};
    const Bytes text{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
    EXPECT_EQ(Requests(queue), (std::vector<Bytes>{scan, text, scan, text}));
    EXPECT_EQ(queue.DroppedUnfinished(), 2u);
    EXPECT_EQ(queue.DroppedTooLong(), 0u);
}

TEST(RequestQueue, AnEndlessSysexAndAFloodOfRequestsAreDroppedAndCounted) {
    RequestQueue queue;
    const Bytes start{0xF0, 0x09};
    const Bytes filler(4096, 0x11);
    queue.Receive(start.data(), start.size());
    for (int i = 0; i < 256; ++i) { // a megabyte that never ends...
        queue.Receive(filler.data(), filler.size());
    }
    const Bytes end{0xF7};
    queue.Receive(end.data(), end.size()); // ...until it does, far too long
    const Bytes longest = [] {
        Bytes request(RequestQueue::kMaxRequestBytes, 0x22);
        request.front() = 0xF0;
        request.back() = 0xF7;
        return request;
    }();
    queue.Receive(longest.data(), longest.size());
    EXPECT_EQ(queue.DroppedTooLong(), 1u);
    EXPECT_EQ(Requests(queue), std::vector<Bytes>{longest});

    // A flood: the oldest requests are answered, the rest dropped, and the queue takes
    // new requests again once it has room.
    for (uint8_t n = 0; n < 100; ++n) {
        const Bytes request{0xF0, 0x09, 0x2B, n, 0xF7};
        queue.Receive(request.data(), request.size());
    }
    const std::vector<Bytes> kept = Requests(queue);
    ASSERT_EQ(kept.size(), RequestQueue::kSlots);
    EXPECT_EQ(kept.back()[3], RequestQueue::kSlots - 1);
    EXPECT_EQ(queue.DroppedQueueFull(), 100u - RequestQueue::kSlots);
    const Bytes after{0xF0, 0x09, 0x2A, 0xF7};
    queue.Receive(after.data(), after.size());
    EXPECT_EQ(Requests(queue), std::vector<Bytes>{after});
}

} // namespace
