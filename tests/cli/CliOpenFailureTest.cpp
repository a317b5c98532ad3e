#include "ProcessStateGuard.h"
#include "ScriptedMidiServices.h"
#include "cli/Commands.h"
#include "cli/Messages.h"
#include "ports/MidiPortLayer.h"
#include "services/DeviceLookup.h"

#include <gtest/gtest.h>

namespace {

CliArguments ScanOf(const std::string& in, const std::string& out) {
    CliArguments arguments;
    arguments.command = CliCommand::Scan;
    arguments.scan.inDevice = in;
    arguments.scan.outDevice = out;
    arguments.scan.ticks = 2;
    arguments.scan.periodMs = 5;
    arguments.output.stats = true;
    return arguments;
}

struct Result {
    ExitStatus status;
    std::string out;
    std::string err;
};

Result ScanOn(ScriptedMidiServices& services, const CliArguments& arguments) {
    // The scan installs the services itself; they must not outlive this call.
    const ProcessStateGuard state;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ExitStatus status = RunScanOn(services, "", arguments);
    Result result{status, testing::internal::GetCapturedStdout(),
                  testing::internal::GetCapturedStderr()};
    return result;
}

} // namespace

TEST(CliOpenFailure, OutputThatFailsToOpenClosesTheInputPrintsTheLogAndTheDevices) {
    ScriptedMidiServices services;
    services.FailNextOutOpen(MidiResult::Allocated);

    const Result result = ScanOn(services, ScanOf("in 1", "OUT 0"));

    EXPECT_EQ(result.status, ExitStatus::Device);
    EXPECT_FALSE(services.InputOpen());
    EXPECT_EQ(result.out, std::string("In Open Scripted In 1 \n") + "Out Open Scripted Out 0 " +
                              MidiResultText(MidiResult::Allocated) +
                              "\n"
                              "In Close Scripted In 1 \n"
                              "sysex Unprepare header function \n");
    EXPECT_EQ(result.err, "wintesseltest-cli: can't open the output device 'Scripted Out 0'\n"
                          "wintesseltest-cli: the devices are:\n"
                          "in 0: Scripted In 0\n"
                          "in 1: Scripted In 1\n"
                          "out 0: Scripted Out 0\n"
                          "out 1: Scripted Out 1\n");
}

// Port names come from other programs: a line feed in one must not forge a line of the
// list, nor an escape sequence reach the terminal.
TEST(DeviceListText, ControlCharactersInNamesAreEscapedAndOtherTextIsKept) {
    EXPECT_EQ(
        DeviceListText({"Box\nout 7: forged", "\x1b[31mred\x1b[0m", std::string("nul\0end", 7)},
                       {"tab\there",
                        "del\x7f"
                        "end",
                        "C:\\x0a",
                        "\xc2\x9b"
                        "2J",
                        "Gerät «QZ4» ✓",
                        // a lone 8-bit CSI, which a terminal may take as ESC [
                        "raw\x9b"
                        "2J",
                        "Latin-1 Ger\xe4t", // not UTF-8, and no control either
                        // UTF-8 whose later bytes lie in 0x80 to 0x9f
                        "\xe2\x82\xac \xe2\x80\x9b \xf0\x9f\x8e\xb9",
                        // cut short, overlong, a surrogate, past U+10FFFF
                        "\xe2\x82"
                        "A \xc0\x9b \xed\xa0\x80 \xf4\x90\x80\x80"}),
        "in 0: Box\\x0aout 7: forged\n"
        "in 1: \\x1b[31mred\\x1b[0m\n"
        "in 2: nul\\x00end\n"
        "out 0: tab\\x09here\n"
        "out 1: del\\x7fend\n"
        "out 2: C:\\x5cx0a\n"
        "out 3: \\xc2\\x9b2J\n"
        "out 4: Gerät «QZ4» ✓\n"
        "out 5: raw\\x9b2J\n"
        "out 6: Latin-1 Ger\xe4t\n"
        "out 7: \xe2\x82\xac \xe2\x80\x9b \xf0\x9f\x8e\xb9\n"
        "out 8: \xe2\\x82A \xc0\\x9b \xed\xa0\\x80 \xf4\\x90\\x80\\x80\n");
}

// Messages keep their backslashes: a device name escaped inside one reads the same after
// the message is escaped in turn, and a path's backslash stays one.
TEST(DeviceListText, MessagesEscapeControlCharactersButKeepBackslashes) {
    const std::string name = "Box\x1b[2J\\\xc2\x85\x9b\xe4";
    const std::string escapedName = EscapedDeviceName(name);

    EXPECT_EQ(escapedName, "Box\\x1b[2J\\x5c\\xc2\\x85\\x9b\xe4");
    EXPECT_EQ(EscapedControlCharacters(escapedName), escapedName);
    EXPECT_EQ(EscapedControlCharacters(name), "Box\\x1b[2J\\\\xc2\\x85\\x9b\xe4");
}

TEST(CliOpenFailure, TheDeviceListEscapesANameThatTheMessageLogKeepsAsItIs) {
    ScriptedMidiServices services({"In\nout 5: forged"}, {"Out\x1b[2J"});
    services.FailNextOutOpen(MidiResult::Allocated);

    const Result result = ScanOn(services, ScanOf("0", "0"));

    EXPECT_EQ(result.status, ExitStatus::Device);
    EXPECT_EQ(result.out, std::string("In Open In\nout 5: forged \n") + "Out Open Out\x1b[2J " +
                              MidiResultText(MidiResult::Allocated) +
                              "\n"
                              "In Close In\nout 5: forged \n"
                              "sysex Unprepare header function \n");
    EXPECT_EQ(result.err, "wintesseltest-cli: can't open the output device 'Out\\x1b[2J'\n"
                          "wintesseltest-cli: the devices are:\n"
                          "in 0: In\\x0aout 5: forged\n"
                          "out 0: Out\\x1b[2J\n");
}

TEST(CliOpenFailure, InputThatFailsToOpenLeavesTheOutputUnopened) {
    ScriptedMidiServices services;
    services.FailNextInOpen(MidiResult::Allocated);

    const Result result = ScanOn(services, ScanOf("0", "0"));

    EXPECT_EQ(result.status, ExitStatus::Device);
    EXPECT_EQ(result.out, std::string("In Open Scripted In 0 \n") + "In Open FAILED  " +
                              MidiResultText(MidiResult::Allocated) + "\n");
    EXPECT_EQ(services.Calls().end(),
              std::find(services.Calls().begin(), services.Calls().end(), "OutOpen"));
}

TEST(CliOpenFailure, SeveralMatchingDevicesOpenNothing) {
    ScriptedMidiServices services;

    const Result result = ScanOn(services, ScanOf("scripted", "0"));

    EXPECT_EQ(result.status, ExitStatus::Device);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("wintesseltest-cli: several input devices match 'scripted'\n", 0),
              0u);
    EXPECT_FALSE(services.InputOpen());
}

TEST(CliDeviceError, AnInputThatReportsAnErrorDuringTheScanEndsWithStatus3AfterTheOutputs) {
    ScriptedMidiServices services;
    services.ReportErrorOnceReceiving(0x7);
    CliArguments arguments = ScanOf("0", "0");
    arguments.scan.ticks = 5;
    const Result result = ScanOn(services, arguments);

    EXPECT_EQ(result.status, ExitStatus::Device);
    EXPECT_NE(result.out.find(" BAD BAD BAD BAD MIDI ERROR #"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Number Of Scans:"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("the input device 'Scripted In 0' reported 1 MIDI error during the "
                              "scan"),
              std::string::npos)
        << result.err;
}
