#include "ports/SendLongMessage.h"
#include "MidiTestSupport.h"
#include "ScriptedMidiServices.h"
#include "ports/OutputMessagePool.h"
#include "sim/Qz4Model.h"
#include "sim/SimulatorServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

using SendLongMessageToScripted = PortLayerFixture<ScriptedMidiServices>;

TEST_F(SendLongMessageToScripted, TheScanRequestLeavesAsOneFourByteMessage) {
    OpenOutput(0);
    const uint8_t scanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};

    SendLongMessage(2, scanRequest);

    EXPECT_EQ(services.Sent(), (Messages{{0xF0, 0x09, 0x2B, 0xF7}}));
}

TEST_F(SendLongMessageToScripted, TwoBackToBackSendsBothLeaveWholeWhileTheDeviceStillHoldsThem) {
    OpenOutput(0);
    services.HoldSends(true);
    uint8_t message[6] = {0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};

    SendLongMessage(4, message);
    const uint8_t second[] = {0xF0, 0x09, 0x2A, 0xF7};
    std::memcpy(message, second, sizeof second); // the caller's bytes do not outlive the call
    SendLongMessage(2, message);
    std::memset(message, 0, sizeof message);
    services.CompleteHeldSends();

    EXPECT_EQ(services.Sent(),
              (Messages{{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7}, {0xF0, 0x09, 0x2A, 0xF7}}));
}

TEST_F(SendLongMessageToScripted, AMessageCopyIsReusedOnceTheDeviceIsDoneWithIt) {
    OpenOutput(0);
    const uint8_t scanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};

    for (int i = 0; i < 100; ++i) {
        SendLongMessage(2, scanRequest);
    }

    EXPECT_EQ(services.Sent().size(), 100u);
    EXPECT_EQ(OutputMessages.InFlight(), 1);
}

TEST_F(SendLongMessageToScripted, WithNoOutputOpenASendHasNoEffectAndSaysNothing) {
    const uint8_t scanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};

    SendLongMessage(2, scanRequest);

    EXPECT_EQ(services.Sent(), Messages{});
    EXPECT_EQ(LogLines(), std::vector<std::string>{});
    EXPECT_EQ(OutputMessages.InFlight(), 0);
}

using SendLongMessageToSimulator = PortLayerFixture<SimulatorServices>;

TEST_F(SendLongMessageToSimulator, GetSetupInformationsTwoRequestsArriveWholeAndInOrder) {
    OpenInput(0);
    OpenOutput(0);
    SkipPendingInput();
    // The simulator answers only a whole request, each after the one sent before it: its
    // answers, in order, are those of a model asked the same two requests.
    Qz4Model expected;
    const Bytes setupText{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
    const Bytes setupInformation{0xF0, 0x09, 0x2A, 0xF7};
    Bytes replies = expected.Respond(setupText.data(), setupText.size());
    const Bytes second = expected.Respond(setupInformation.data(), setupInformation.size());
    replies.insert(replies.end(), second.begin(), second.end());

    view.OnGetSetupInformation();

    ASSERT_TRUE(WaitUntil([&] { return PendingBytes().size() >= replies.size(); }));
    EXPECT_EQ(PendingBytes(), replies);
}

} // namespace
