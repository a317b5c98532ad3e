#include "SysexFeed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using SysexDiagnostics = SysexDecoderFixture;

TEST_F(SysexDiagnostics, ErrorsAreNumberedAndABurstGetsOneSuspectedPacketLine) {
    RecordEvent(kMimError);
    RecordEvent(kMimError);
    RecordEvent(kMimData);
    RecordEvent(kMimData);
    view->ProcessMidiInput();
    RecordEvent(kMimError);
    view->ProcessMidiInput();

    EXPECT_EQ(NewLines(), (std::vector<std::string>{
                              " BAD BAD BAD BAD MIDI ERROR #000",
                              " BAD BAD BAD BAD MIDI ERROR #001",
                              " SUSPECTED BAD Midi PACKET repeated below ",
                              " BAD BAD BAD BAD MIDI ERROR #002",
                          }));
}

TEST_F(SysexDiagnostics, DataWithoutAnErrorBeforeItLogsNothing) {
    RecordEvent(kMimData);
    RecordEvent(kMimOpen);
    RecordEvent(kMimMoreData);
    view->ProcessMidiInput();
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST_F(SysexDiagnostics, LongDataAfterCloseLogsTheUnprepareLineOnce) {
    Deliver(*view, ScanFrame({1}));
    InputClosing = 1;
    RecordEvent(kMimLongData); // the buffer handed back by the reset, empty
    RecordEvent(kMimClose);
    view->ProcessMidiInput();
    RecordEvent(kMimLongData);
    view->ProcessMidiInput();

    EXPECT_EQ(NewLines(), std::vector<std::string>{"sysex Unprepare header function "});
    EXPECT_EQ(InputClosing.load(), 0);
}

TEST_F(SysexDiagnostics, BytesAreDecodedBeforeTheEventsOfTheSameRun) {
    RecordEvent(kMimError);
    RecordLongData(*view, Frame(0x14, {}));
    view->ProcessMidiInput();
    EXPECT_EQ(NewLines(), (std::vector<std::string>{
                              "unimplemented or undefined wendmoor/corvane sysex number f00914",
                              " BAD BAD BAD BAD MIDI ERROR #000",
                          }));
}

} // namespace
