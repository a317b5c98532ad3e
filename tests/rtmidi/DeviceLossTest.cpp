// The QZ4 and the MIDI server going away while the poll runs, on the RtMidi backend
// over a JACK server that each test starts, kills and starts again itself.

#include "JackServerProcess.h"
#include "MidiTestSupport.h"
#include "ProcessStateGuard.h"
#include "Qz4SimProcess.h"
#include "rtmidi/SystemMidiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

constexpr auto kPollPeriod = std::chrono::milliseconds(20);

class DeviceLoss : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(jackd.Running());
        StartQz4sim();
        system = std::make_unique<SystemMidiServices>(SimulatorOptions{}, "jack");
        state.emplace(&system->Services());
        view.m_pInPortDlg = &inDialog;
        view.m_pOutPortDlg = &outDialog;
    }
    void TearDown() override {
        view.ClosePortsAtShutdown();
        // The system takes its services out as it goes; what its closing left in the port
        // layer goes with the guard after it.
        system.reset();
        state.reset();
    }

    void StartQz4sim() {
        qz4sim = std::make_unique<Qz4SimProcess>(kName);
        ASSERT_TRUE(qz4sim->Ready());
    }

    // What a user does in the port dialogs: list the devices, choose qz4sim's, open.
    void OpenQz4sim() {
        inDialog.m_nDevice = -1;
        outDialog.m_nDevice = -1;
        MidiServices& services = system->Services();
        for (uint32_t d = 0, n = services.InGetNumDevs(); d < n; ++d) {
            MidiInCaps caps{};
            services.InGetDevCaps(d, &caps);
            inDialog.m_nDevice =
                caps.szPname == kInDevice ? static_cast<int>(d) : inDialog.m_nDevice;
        }
        for (uint32_t d = 0, n = services.OutGetNumDevs(); d < n; ++d) {
            MidiOutCaps caps{};
            services.OutGetDevCaps(d, &caps);
            outDialog.m_nDevice =
                caps.szPname == kOutDevice ? static_cast<int>(d) : outDialog.m_nDevice;
        }
        ASSERT_GE(inDialog.m_nDevice, 0);
        ASSERT_GE(outDialog.m_nDevice, 0);
        view.OpenMidiIn();
        view.OpenMidiOut();
    }

    // One tick of the poll and the rest of its period. The period must pass as time:
    // the program asks for a scan once a period, a faster poll would flood the box with
    // requests it drops, and a tick while the box is gone shows nothing only if a reply
    // would have had the time to come.
    void Tick() {
        view.OnTimer(1);
        std::this_thread::sleep_for(kPollPeriod);
    }
    template <typename Predicate> bool PollUntil(Predicate done) {
        return WaitUntil([&] {
            if (done()) {
                return true;
            }
            Tick();
            return false;
        });
    }
    void PollTicks(int ticks) {
        for (int n = 0; n < ticks; ++n) {
            Tick();
        }
    }
    bool PollUntilScans(int count) {
        return PollUntil([&] { return view.m_scanCount >= count; });
    }
    bool PollUntilLogged(const std::string& line) {
        return PollUntil([&] {
            const Lines lines = LogLines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    void CloseBoth() {
        view.CloseMidiIn();
        view.CloseMidiOut();
        view.ProcessMidiInput();
    }

    inline static const std::string kName = "qz4loss" + std::to_string(getpid());
    inline static const std::string kInDevice = kName + " output:" + kName + " out";
    inline static const std::string kOutDevice = kName + " input:" + kName + " in";
    const Lines kOpenLines{"In Open " + kInDevice + " ",
                           "Out Open " + kOutDevice + " The operation completed successfully."};
    const Lines kCloseLines{"In Close " + kInDevice + " ",
                            "Out Close " + kOutDevice + " The operation completed successfully.",
                            "sysex Unprepare header function "};
    const std::string kErrorLine = " BAD BAD BAD BAD MIDI ERROR #000";

    JackServerProcess jackd{"wt-loss-" + std::to_string(getpid())};
    std::unique_ptr<Qz4SimProcess> qz4sim;
    std::unique_ptr<SystemMidiServices> system;
    std::optional<ProcessStateGuard> state;
    PortDeviceChoice inDialog;
    PortDeviceChoice outDialog;
    TestView view;
};

Lines Concatenated(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(DeviceLoss, TheQz4VanishingWhilePolledLogsAMidiErrorAndItsReopenedPortsPollAgain) {
    OpenQz4sim();
    ASSERT_TRUE(PollUntilScans(5));

    qz4sim->Stop(SIGKILL); // unplugged
    ASSERT_TRUE(PollUntilLogged(kErrorLine)) << ::testing::PrintToString(LogLines());
    const int scansWhileGone = view.m_scanCount;
    PollTicks(5);
    EXPECT_EQ(view.m_scanCount, scansWhileGone);
    CloseBoth();

    StartQz4sim(); // plugged in again
    OpenQz4sim();
    EXPECT_TRUE(PollUntilScans(scansWhileGone + 5));
    EXPECT_EQ(InputEventsLost.load(), 0u);
    EXPECT_EQ(LogLines(), Concatenated({kOpenLines, {kErrorLine}, kCloseLines, kOpenLines}));
}

TEST_F(DeviceLoss, TheMidiServerDyingWhilePolledLogsAMidiErrorAndThePortsReopenOnceItIsBack) {
    OpenQz4sim();
    ASSERT_TRUE(PollUntilScans(5));

    jackd.Kill(SIGKILL);
    // The box's stand-in ends by itself once its server is gone, saying why.
    EXPECT_EQ(qz4sim->WaitForExit(std::chrono::seconds(10)), 1);
    ASSERT_TRUE(PollUntilLogged(kErrorLine)) << ::testing::PrintToString(LogLines());
    const int scansWhileGone = view.m_scanCount;
    PollTicks(5);
    EXPECT_EQ(view.m_scanCount, scansWhileGone);
    CloseBoth();
    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    // Without a server only the simulator is listed, and the reason is known.
    EXPECT_EQ(system->Services().InGetNumDevs(), 1u);
    EXPECT_EQ(system->UnavailableReason(),
              "no MIDI system can be reached (Jack: no JACK server is running under the name '" +
                  jackd.Name() + "')");

    ASSERT_TRUE(jackd.Start());
    StartQz4sim();
    OpenQz4sim();
    EXPECT_TRUE(PollUntilScans(scansWhileGone + 5));
    EXPECT_EQ(InputEventsLost.load(), 0u);
    EXPECT_EQ(LogLines(), Concatenated({kOpenLines, {kErrorLine}, kCloseLines, kOpenLines}));
}

} // namespace
