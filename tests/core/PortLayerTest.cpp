#include "MidiTestSupport.h"
#include "ScriptedMidiServices.h"
#include "services/MidiServices.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Calls = std::vector<std::string>;
using KindList = std::vector<uint32_t>;

using PortLayer = PortLayerFixture<ScriptedMidiServices>;

TEST_F(PortLayer, OpeningTheInputLogsOneLineStartsInputThenQueuesTheBuffer) {
    EXPECT_EQ(OpenInput(1), 1);

    EXPECT_EQ(view.m_bInOpen, 1);
    EXPECT_EQ(LogLines(), Lines{"In Open Scripted In 1 "});
    EXPECT_EQ(services.Calls(), (Calls{"InOpen", "InStart", "InPrepareHeader", "InAddBuffer"}));
    EXPECT_EQ(services.QueuedInputBuffers(), 1);
    const std::vector<CallbackEvent> events = PendingEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kMimOpen);
    EXPECT_EQ(events[0].handle, MidiInHandle);
    EXPECT_EQ(events[0].instance, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&view)));
}

TEST_F(PortLayer, AFailedInputOpenWritesTheOpenLineThenTheFailureLineWithItsText) {
    services.FailNextInOpen(MidiResult::Allocated);

    EXPECT_EQ(OpenInput(0), 0);

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(LogLines(), (Lines{"In Open Scripted In 0 ",
                                 "In Open FAILED  The MIDI device is already in use."}));
    EXPECT_EQ(services.QueuedInputBuffers(), 0);
}

TEST_F(PortLayer, OpeningTheInputTwiceLogsTheAlreadyOpenLineAndKeepsOneBufferQueued) {
    OpenInput(0);
    EXPECT_EQ(OpenInput(1), 1);

    EXPECT_EQ(LogLines(),
              (Lines{"In Open Scripted In 0 ",
                     "midiInOpen called when already open THIS IS BAD but protected now "}));
    EXPECT_EQ(services.QueuedInputBuffers(), 1);
}

TEST_F(PortLayer, ClosingTheInputGetsTheBufferBackWithNoBytesAndReleasesIt) {
    OpenInput(0);

    EXPECT_EQ(view.CloseMidiIn(), 0);

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(LogLines(), (Lines{"In Open Scripted In 0 ", "In Close Scripted In 0 "}));
    const std::vector<CallbackEvent> events = PendingEvents();
    EXPECT_EQ(Kinds(events), (KindList{kMimOpen, kMimLongData, kMimClose}));
    EXPECT_EQ(events[1].dwParam1, 0u); // bytes recorded
    EXPECT_EQ(ByteWriteCount.load(), 0u);
    EXPECT_EQ(services.QueuedInputBuffers(), 0);
    EXPECT_EQ(InputHeader.dwFlags & kMidiHeaderPrepared, 0u);
    EXPECT_EQ(InputClosing.load(), 1); // until the decoder meets the long-data event
}

TEST_F(PortLayer, AFailedInputCloseLeavesThePortMarkedOpenAndSaysSo) {
    OpenInput(0);
    services.FailNextInClose(MidiResult::Error);

    EXPECT_EQ(view.CloseMidiIn(), 1);

    EXPECT_EQ(view.m_bInOpen, 1);
    EXPECT_EQ(LogLines(), (Lines{"In Open Scripted In 0 ", "In Close Scripted In 0 ",
                                 "midiInClose failed THIS may be BAD"}));
}

TEST_F(PortLayer, ClosingClosedPortsOrShuttingDownWithNoneOpenDoesNothing) {
    EXPECT_EQ(view.CloseMidiIn(), 0);
    view.CloseMidiOut();
    view.ClosePortsAtShutdown();

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(), Lines{});
    EXPECT_EQ(services.Calls(), Calls{});
}

TEST_F(PortLayer, OpeningTheOutputWritesOneLineEndingInTheSuccessText) {
    OpenOutput(1);

    EXPECT_EQ(view.m_bOutOpen, 1);
    EXPECT_EQ(LogLines(), Lines{"Out Open Scripted Out 1 The operation completed successfully."});
}

TEST_F(PortLayer, AFailedOutputOpenWritesOneLineEndingInTheErrorText) {
    services.FailNextOutOpen(MidiResult::NoDriver);

    OpenOutput(0);

    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(), Lines{"Out Open Scripted Out 0 The MIDI system cannot be reached."});
}

TEST_F(PortLayer, OpeningTheOutputTwiceLogsTheAlreadyOpenLine) {
    OpenOutput(0);
    OpenOutput(1);

    EXPECT_EQ(LogLines(),
              (Lines{"Out Open Scripted Out 0 The operation completed successfully.",
                     "midiOutOpen called when already open THIS IS BAD but protected now "}));
    EXPECT_EQ(view.m_bOutOpen, 1);
}

TEST_F(PortLayer, ClosingTheOutputWritesOneLineEndingInTheResultText) {
    OpenOutput(1);

    view.CloseMidiOut();

    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(),
              (Lines{"Out Open Scripted Out 1 The operation completed successfully.",
                     "Out Close Scripted Out 1 The operation completed successfully."}));
}

TEST_F(PortLayer, AFailedOutputCloseLeavesThePortMarkedOpenWithTheErrorText) {
    OpenOutput(0);
    services.FailNextOutClose(MidiResult::StillPlaying);

    view.CloseMidiOut();

    EXPECT_EQ(view.m_bOutOpen, 1);
    EXPECT_EQ(LogLines()[1],
              "Out Close Scripted Out 0 MIDI buffers are still queued on the device.");
}

TEST_F(PortLayer, WithoutPortDialogsBothOpensFailWithTheirLines) {
    view.m_pInPortDlg = nullptr;
    view.m_pOutPortDlg = nullptr;

    EXPECT_EQ(view.OpenMidiIn(), 0);
    view.OpenMidiOut();

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(),
              (Lines{"In Open  ", "In Open FAILED  There is no MIDI device with this number.",
                     "Out Open  There is no MIDI device with this number."}));
}

TEST_F(PortLayer, ADeviceThatVanishedAfterTheListingFailsToOpen) {
    ASSERT_EQ(services.InGetNumDevs(), 2u);
    services.VanishInput(1);
    services.VanishOutput(0);

    EXPECT_EQ(OpenInput(1), 0);
    OpenOutput(0);

    EXPECT_EQ(LogLines(), (Lines{"In Open Scripted In 1 ",
                                 "In Open FAILED  The MIDI device is no longer present.",
                                 "Out Open Scripted Out 0 The MIDI device is no longer present."}));
}

TEST_F(PortLayer, ShortMessagesAreRecordedAsEventsOnly) {
    OpenInput(0);
    SkipPendingInput();

    services.InjectShortMessage(0x00643C90); // note on, key 60, velocity 100

    const std::vector<CallbackEvent> events = PendingEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kMimData);
    EXPECT_EQ(events[0].dwParam1, 0x00643C90u);
    EXPECT_EQ(PendingBytes(), std::vector<uint8_t>{});
}

TEST_F(PortLayer, ASysexOf1500BytesArrivesInOrderOverThreeReturnsOfTheBuffer) {
    OpenInput(0);
    SkipPendingInput();
    std::vector<uint8_t> sysex(1500);
    std::iota(sysex.begin(), sysex.end(), uint8_t{0});
    for (uint8_t& byte : sysex) {
        byte &= 0x7F;
    }
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;

    services.InjectSysex(sysex);

    const std::vector<CallbackEvent> events = PendingEvents();
    EXPECT_EQ(Kinds(events), (KindList{kMimLongData, kMimLongData, kMimLongData}));
    std::vector<uint32_t> pieces;
    for (const CallbackEvent& event : events) {
        pieces.push_back(event.dwParam1);
    }
    EXPECT_EQ(pieces, (std::vector<uint32_t>{512, 512, 476}));
    EXPECT_EQ(PendingBytes(), sysex);
    EXPECT_EQ(services.QueuedInputBuffers(), 1);
}

TEST_F(PortLayer, ALongDataErrorIsRecordedWithoutItsBytesAndInputGoesOn) {
    OpenInput(0);
    SkipPendingInput();

    services.InjectLongError({0xF0, 0x09, 0x15, 0x01});
    services.InjectSysex({0xF0, 0x09, 0x2B, 0xF7});

    EXPECT_EQ(Kinds(PendingEvents()), (KindList{kMimLongError, kMimLongData}));
    EXPECT_EQ(PendingBytes(), (std::vector<uint8_t>{0xF0, 0x09, 0x2B, 0xF7}));
}

TEST_F(PortLayer, AQuickReopenClearsTheClosingFlagSoInputKeepsFlowing) {
    OpenInput(0);
    view.CloseMidiIn();
    OpenInput(0); // before any decoder pass met the close
    SkipPendingInput();

    EXPECT_EQ(InputClosing.load(), 0);
    services.InjectSysex({0xF0, 0x09, 0x15, 0x01, 0x02, 0xF7});
    services.InjectSysex({0xF0, 0x09, 0x15, 0x03, 0x04, 0xF7});

    EXPECT_EQ(PendingBytes(), (std::vector<uint8_t>{0xF0, 0x09, 0x15, 0x01, 0x02, 0xF7, 0xF0, 0x09,
                                                    0x15, 0x03, 0x04, 0xF7}));
    EXPECT_EQ(services.QueuedInputBuffers(), 1);
}

TEST_F(PortLayer, WhenTheRingsAreFullAnEventIsDroppedWholeCountedAndTheBufferStillQueued) {
    OpenInput(0);
    SkipPendingInput();
    const std::vector<uint8_t> fullBuffer(512, 0x11);

    for (int i = 0; i < 16; ++i) { // 16 x 512 bytes fill the byte ring exactly
        services.InjectSysex(fullBuffer);
    }
    services.InjectSysex(std::vector<uint8_t>(100, 0x22));

    EXPECT_EQ(InputEventsLost.load(), 1u);
    EXPECT_EQ(InputBytesLost.load(), 100u);
    EXPECT_EQ(PendingBytes(), std::vector<uint8_t>(8192, 0x11));
    EXPECT_EQ(services.QueuedInputBuffers(), 1);

    SkipPendingInput();
    services.InjectSysex({0xF0, 0x09, 0x2B, 0xF7});
    EXPECT_EQ(PendingBytes(), (std::vector<uint8_t>{0xF0, 0x09, 0x2B, 0xF7}));
}

TEST_F(PortLayer, ShutdownClosesTheInputThroughItsCloseAndTheOutputSilently) {
    OpenInput(0);
    OpenOutput(0);

    view.ClosePortsAtShutdown();

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(), (Lines{"In Open Scripted In 0 ",
                                 "Out Open Scripted Out 0 The operation completed successfully.",
                                 "In Close Scripted In 0 "}));
    EXPECT_EQ(services.Calls().back(), "OutClose");
    EXPECT_FALSE(services.InputOpen());
}

} // namespace
