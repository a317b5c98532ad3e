#include "sim/SimulatorServices.h"
#include "MidiTestSupport.h"
#include "SysexFeed.h"
#include "ports/SendLongMessage.h"
#include "services/MidiServices.h"
#include "sim/Qz4Model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const Bytes kScanRequest{0xF0, 0x09, 0x2B, 0xF7};
const Bytes kSetupTextRequest{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
const Bytes kSetupInformationRequest{0xF0, 0x09, 0x2A, 0xF7};

void Send(const Bytes& message) {
    SendLongMessage(static_cast<uint32_t>(message.size() - 2), message.data());
}

using Simulator = PortLayerFixture<SimulatorServices>;

TEST_F(Simulator, ListsOneInputAndOneOutputNamedQz4Simulator) {
    MidiInCaps in{};
    MidiOutCaps out{};

    EXPECT_EQ(services.InGetNumDevs(), 1u);
    EXPECT_EQ(services.OutGetNumDevs(), 1u);
    ASSERT_EQ(services.InGetDevCaps(0, &in), MidiResult::NoError);
    ASSERT_EQ(services.OutGetDevCaps(0, &out), MidiResult::NoError);
    EXPECT_STREQ(in.szPname, "QZ4 Simulator");
    EXPECT_STREQ(out.szPname, "QZ4 Simulator");
    EXPECT_EQ(services.InGetDevCaps(1, &in), MidiResult::BadDeviceId);
}

TEST_F(Simulator, AnswersTheThreeRequestsInOrderWithTheModelsPackets) {
    OpenInput(0);
    OpenOutput(0);
    SkipPendingInput();
    Qz4Model expected; // the same options, so the same answers

    Send(kScanRequest);
    Send(kSetupTextRequest);
    Send(kSetupInformationRequest);

    const Bytes scan = expected.Respond(kScanRequest.data(), kScanRequest.size());
    const Bytes text = expected.Respond(kSetupTextRequest.data(), kSetupTextRequest.size());
    const Bytes setup =
        expected.Respond(kSetupInformationRequest.data(), kSetupInformationRequest.size());
    const Bytes replies = Concat({scan, text, setup});
    ASSERT_TRUE(WaitUntil([&] { return PendingBytes().size() >= replies.size(); }));
    EXPECT_EQ(PendingBytes(), replies);
    std::vector<uint32_t> pieces;
    for (const CallbackEvent& event : PendingEvents()) {
        EXPECT_EQ(event.message, kMimLongData);
        pieces.push_back(event.dwParam1);
    }
    // The setup information (613 bytes) comes back over two returns of the buffer.
    EXPECT_EQ(pieces, (std::vector<uint32_t>{static_cast<uint32_t>(scan.size()),
                                             static_cast<uint32_t>(text.size()), 512, 101}));
}

TEST_F(Simulator, AReplyWhileTheInputIsClosedIsLost) {
    OpenOutput(0);

    Send(kScanRequest);

    ASSERT_TRUE(WaitUntil([&] { return services.RepliesLost() == 1; }));
    EXPECT_EQ(PendingBytes(), Bytes{});
}

TEST_F(Simulator, GetSetupInformationCopiesTheSimulatorsCalibrationThroughTheDecoder) {
    OpenInput(0);
    OpenOutput(0);
    Qz4Model expected;

    view.OnGetSetupInformation();
    ASSERT_TRUE(WaitUntil([&] { return PendingEvents().size() >= 4; })); // open, text, 2 pieces
    view.ProcessMidiInput();

    EXPECT_EQ(view.m_setupTextPending, 0);
    EXPECT_EQ(view.m_setupRequested, 0);
    for (int j = 0; j < 122; ++j) {
        EXPECT_EQ(view.m_calibLow[j], expected.CalibLow(j)) << "sensor " << j;
        EXPECT_EQ(view.m_calibHigh[j], expected.CalibHigh(j)) << "sensor " << j;
    }
}

TEST_F(Simulator, OptionsSetTheSensorCountOfTheScans) {
    services.SetOptions(SimulatorOptions{.sensors = 30, .seed = 5});
    OpenInput(0);
    OpenOutput(0);

    Send(kScanRequest);
    ASSERT_TRUE(WaitUntil([&] { return PendingEvents().size() >= 2; }));
    view.ProcessMidiInput();

    EXPECT_EQ(view.m_scanCount, 1);
    EXPECT_EQ(view.m_scanLength, 30);
}

} // namespace
