// A flood of a megabyte of SysEx between two poll ticks: far more than the rings hold.

#include "MidiTestSupport.h"
#include "ScriptedMidiServices.h"
#include "SysexFeed.h"

#include <gtest/gtest.h>

#include <numeric>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr size_t kMegabyte = 1 << 20;

Bytes Values(uint8_t first) {
    Bytes values(122);
    std::iota(values.begin(), values.end(), first);
    return values;
}

// 4228 scan packets of 248 bytes: 1,048,544 bytes, each packet a message of its own.
std::vector<Bytes> ScanPacketFlood() {
    return std::vector<Bytes>(kMegabyte / 248, ScanFrame(Values(100)));
}

// One scan packet of exactly a megabyte, which comes back in 2048 returns of 512 bytes.
std::vector<Bytes> OneMegabyteMessage() {
    return {Frame(0x15, Bytes(kMegabyte - 4, 0x05))};
}

struct Flood {
    const char* name;
    std::vector<Bytes> (*messages)();
    uint32_t bytesLost;
    uint32_t eventsLost;
    int scansDecodedAtTheTick;
};

// Names the case in test listings, rather than the bytes of the struct.
void PrintTo(const Flood& flood, std::ostream* out) {
    *out << flood.name;
}

// Before the flood a scan packet A (248 bytes), after it a scan packet B. A and 32
// packets of the first flood fill 8184 of the 8192 bytes: the other 4196 and B are
// dropped. Of the megabyte message, A and 15 returns fill 7928 bytes; the other 2033
// returns are dropped, B fits behind them and ends the frame that the message began:
// its head and B are decoded as one scan packet, the flood's lost middle counted.
const Flood kFloods[] = {
    {"ScanPackets", ScanPacketFlood, 4197 * 248, 4197, 33},
    {"OneMessage", OneMegabyteMessage, 2033 * 512, 2033, 2},
};

class InputFlood : public PortLayerFixture<ScriptedMidiServices>,
                   public ::testing::WithParamInterface<Flood> {};

TEST_P(InputFlood, WithinOneTickIsDroppedWholeEventsAndCountedAndTheNextScanDecodes) {
    const Flood& flood = GetParam();
    ASSERT_EQ(OpenInput(0), 1);
    view.ProcessMidiInput();

    services.InjectSysex(ScanFrame(Values(1)));
    for (const Bytes& message : flood.messages()) {
        services.InjectSysex(message);
    }
    services.InjectSysex(ScanFrame(Values(2)));
    view.ProcessMidiInput();

    EXPECT_EQ(InputBytesLost.load(), flood.bytesLost);
    EXPECT_EQ(InputEventsLost.load(), flood.eventsLost);
    EXPECT_EQ(view.m_scanCount, flood.scansDecodedAtTheTick);
    EXPECT_EQ(services.QueuedInputBuffers(), 1);

    services.InjectSysex(ScanFrame(Values(3)));
    view.ProcessMidiInput();

    EXPECT_EQ(view.m_scanCount, flood.scansDecodedAtTheTick + 1);
    EXPECT_EQ(view.m_scanLength, 122);
    EXPECT_EQ(Bytes(view.m_values, view.m_values + 122), Values(3));
    EXPECT_EQ(LogLines(), std::vector<std::string>{"In Open Scripted In 0 "});
}

INSTANTIATE_TEST_SUITE_P(OfAMegabyte, InputFlood, ::testing::ValuesIn(kFloods),
                         [](const ::testing::TestParamInfo<Flood>& testCase) {
                             return std::string(testCase.param.name);
                         });

} // namespace
