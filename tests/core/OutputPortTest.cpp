#include "services/OutputPort.h"
#include "ScriptedMidiServices.h"
#include "sim/SimulatorServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A device that can keep a header for a while, refuse a close, and count its sends.
class FakeDevice : public OutputDevice {
public:
    MidiResult Transmit(MidiHeader& header) override {
        ++transmitted;
        if (hold) {
            held = &header;
        }
        return MidiResult::NoError;
    }
    bool Holds(const MidiHeader* header) const override { return header == held; }
    bool HoldsAny() const override { return held != nullptr; }
    MidiResult Release() override { return releaseResult; }

    bool hold = false;
    const MidiHeader* held = nullptr;
    MidiResult releaseResult = MidiResult::NoError;
    int transmitted = 0;
};

struct OutputPortTest : ::testing::Test {
    uint8_t bytes[4] = {0xF0, 0x09, 0x2B, 0xF7};
    MidiHeader header{bytes, sizeof bytes, 0, 0, 0};
    FakeDevice device;
    OutputPort port{device};
    MidiHandle handle = 0;

    void SetUp() override { ASSERT_EQ(port.Open(&handle, 7), MidiResult::NoError); }
};

TEST_F(OutputPortTest, OpensOnceUnderItsHandleAndRefusesMissingPointers) {
    EXPECT_EQ(handle, 7u);
    MidiHandle second = 0;
    EXPECT_EQ(port.Open(&second, 8), MidiResult::Allocated);
    EXPECT_EQ(second, 0u);
    OutputPort other(device);
    EXPECT_EQ(other.Open(nullptr, 9), MidiResult::InvalidParameter);
    EXPECT_EQ(other.Handle(), 0u);
}

TEST_F(OutputPortTest, AHeaderWithoutBytesOrNoHeaderIsAnInvalidParameterEverywhere) {
    MidiHeader empty{bytes, 0, 0, 0, 0};
    MidiHeader noData{nullptr, 4, 0, 0, 0};
    EXPECT_EQ(port.Prepare(handle, &empty), MidiResult::InvalidParameter);
    EXPECT_EQ(port.Prepare(handle, &noData), MidiResult::InvalidParameter);
    EXPECT_EQ(port.Prepare(handle, nullptr), MidiResult::InvalidParameter);
    EXPECT_EQ(port.Unprepare(handle, nullptr), MidiResult::InvalidParameter);
    EXPECT_EQ(port.Send(handle, nullptr), MidiResult::InvalidParameter);
    // Emptied after it was prepared: still not sent.
    ASSERT_EQ(port.Prepare(handle, &header), MidiResult::NoError);
    header.dwBufferLength = 0;
    EXPECT_EQ(port.Send(handle, &header), MidiResult::InvalidParameter);
    EXPECT_EQ(device.transmitted, 0);
}

TEST_F(OutputPortTest, SendsOnlyPreparedHeadersOfItsOwnHandleAndMarksThemDone) {
    EXPECT_EQ(port.Send(handle, &header), MidiResult::Unprepared);
    EXPECT_EQ(port.Prepare(handle + 1, &header), MidiResult::InvalidHandle);
    EXPECT_EQ(port.Prepare(0, &header), MidiResult::InvalidHandle);
    ASSERT_EQ(port.Prepare(handle, &header), MidiResult::NoError);
    EXPECT_EQ(port.Send(handle + 1, &header), MidiResult::InvalidHandle);
    EXPECT_EQ(port.Send(handle, &header), MidiResult::NoError);
    EXPECT_EQ(device.transmitted, 1);
    EXPECT_EQ(header.dwFlags, kMidiHeaderPrepared | kMidiHeaderDone);
    EXPECT_EQ(port.Unprepare(handle, &header), MidiResult::NoError);
    EXPECT_EQ(header.dwFlags, kMidiHeaderDone);
}

TEST_F(OutputPortTest, AHeldHeaderKeepsItsPreparationAndThePortOpen) {
    device.hold = true;
    ASSERT_EQ(port.Prepare(handle, &header), MidiResult::NoError);
    ASSERT_EQ(port.Send(handle, &header), MidiResult::NoError);
    EXPECT_EQ(header.dwFlags & kMidiHeaderDone, 0u);
    EXPECT_EQ(port.Unprepare(handle, &header), MidiResult::StillPlaying);
    EXPECT_EQ(port.Close(handle), MidiResult::StillPlaying);
    device.held = nullptr;
    EXPECT_EQ(port.Unprepare(handle, &header), MidiResult::NoError);
    EXPECT_EQ(port.Close(handle), MidiResult::NoError);
    EXPECT_EQ(port.Handle(), 0u);
    EXPECT_EQ(port.Close(handle), MidiResult::InvalidHandle);
}

TEST_F(OutputPortTest, AFailedReleaseLeavesThePortOpen) {
    device.releaseResult = MidiResult::Error;
    EXPECT_EQ(port.Close(handle), MidiResult::Error);
    EXPECT_EQ(port.Handle(), 7u);
    device.releaseResult = MidiResult::NoError;
    EXPECT_EQ(port.Close(handle), MidiResult::NoError);
}

// The backends answer the cases they once disagreed on alike.
TEST(OutputPortBackends, AnswerEmptyAndMissingHeadersAlike) {
    std::vector<std::unique_ptr<MidiServices>> backends;
    backends.push_back(std::make_unique<ScriptedMidiServices>());
    backends.push_back(std::make_unique<SimulatorServices>());
    for (const auto& services : backends) {
        MidiHandle handle = 0;
        ASSERT_EQ(services->OutOpen(&handle, 0, nullptr, 0), MidiResult::NoError);
        uint8_t bytes[1] = {0xF7};
        MidiHeader empty{bytes, 0, 0, 0, 0};
        EXPECT_EQ(services->OutPrepareHeader(handle, &empty), MidiResult::InvalidParameter);
        empty.dwFlags = kMidiHeaderPrepared;
        EXPECT_EQ(services->OutLongMsg(handle, &empty), MidiResult::InvalidParameter);
        EXPECT_EQ(services->OutUnprepareHeader(handle, nullptr), MidiResult::InvalidParameter);
        EXPECT_EQ(services->OutLongMsg(handle, nullptr), MidiResult::InvalidParameter);
        EXPECT_EQ(services->OutClose(handle), MidiResult::NoError);
    }
}

} // namespace
