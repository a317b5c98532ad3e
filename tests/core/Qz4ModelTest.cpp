#include "sim/Qz4Model.h"
#include "sim/RequestQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
