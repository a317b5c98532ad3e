// The RtMidi backend across a real MIDI server: a JACK server started by
// tests/jack/with-jackd.sh, and qz4sim in a second process as the QZ4.

#include "MidiTestSupport.h"
#include "ProcessStateGuard.h"
#include "Qz4SimProcess.h"
#include "ports/SendLongMessage.h"
#include "rtmidi/RtMidiServices.h"
#include "services/CompositeMidiServices.h"
#include "services/MidiServices.h"
#include "sim/Qz4Model.h"
#include "sim/SimulatorServices.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const Bytes kScanRequest{0xF0, 0x09, 0x2B, 0xF7};
const Bytes kSetupTextRequest{0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
const Bytes kSetupInformationRequest{0xF0, 0x09, 0x2A, 0xF7};

void Send(const Bytes& message) {
    SendLongMessage(static_cast<uint32_t>(message.size() - 2), message.data());
}

// The number of the first device whose name contains `part`, or -1.
template <typename Caps, typename Count, typename GetCaps>
int FindDevice(const std::string& part, Count count, GetCaps getCaps) {
    const uint32_t devices = count();
    for (uint32_t device = 0; device < devices; ++device) {
        Caps caps{};
        getCaps(device, &caps);
        if (std::string(caps.szPname).find(part) != std::string::npos) {
            return static_cast<int>(device);
        }
    }
    return -1;
}

std::string UniqueName(const char* what) {
    return std::string("qz4-") + what + "-" + std::to_string(getpid());
}

class RtMidiOverJack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("JACK_DEFAULT_SERVER"), nullptr)
            << "run through tests/jack/with-jackd.sh";
        ASSERT_TRUE(services.Reachable()) << services.UnavailableReason();
        state.emplace(&services);
        view.m_pInPortDlg = &inDialog;
        view.m_pOutPortDlg = &outDialog;
    }
    void TearDown() override {
        view.ClosePortsAtShutdown();
        state.reset();
    }

    // Lists the devices and chooses qz4sim's ports in both dialogs.
    void ChooseSimulator(const std::string& name) {
        inDialog.m_nDevice = FindDevice<MidiInCaps>(
            name + " out", [&] { return services.InGetNumDevs(); },
            [&](uint32_t d, MidiInCaps* c) { return services.InGetDevCaps(d, c); });
        outDialog.m_nDevice = FindDevice<MidiOutCaps>(
            name + " in", [&] { return services.OutGetNumDevs(); },
            [&](uint32_t d, MidiOutCaps* c) { return services.OutGetDevCaps(d, c); });
        ASSERT_GE(inDialog.m_nDevice, 0);
        ASSERT_GE(outDialog.m_nDevice, 0);
    }

    RtMidiServices services{"jack"};
    std::optional<ProcessStateGuard> state;
    PortDeviceChoice inDialog;
    PortDeviceChoice outDialog;
    TestView view;
};

TEST_F(RtMidiOverJack, TheThreeRequestsGetTheirRepliesFromQz4simIntoTheRings) {
    const std::string name = UniqueName("replies");
    Qz4SimProcess qz4sim(name);
    ASSERT_TRUE(qz4sim.Ready());
    ChooseSimulator(name);
    ASSERT_EQ(view.OpenMidiIn(), 1);
    view.OpenMidiOut();
    ASSERT_EQ(view.m_bOutOpen, 1) << LogLines().back();
    SkipPendingInput();

    Send(kScanRequest);
    Send(kSetupTextRequest);
    Send(kSetupInformationRequest);

    Qz4Model model; // qz4sim's defaults: the same answers
    Bytes expected = model.Respond(kScanRequest.data(), kScanRequest.size());
    const Bytes text = model.Respond(kSetupTextRequest.data(), kSetupTextRequest.size());
    const Bytes setup =
        model.Respond(kSetupInformationRequest.data(), kSetupInformationRequest.size());
    expected.insert(expected.end(), text.begin(), text.end());
    expected.insert(expected.end(), setup.begin(), setup.end());
    ASSERT_TRUE(WaitUntil([&] { return PendingBytes().size() >= expected.size(); }))
        << PendingBytes().size() << " of " << expected.size() << " bytes";
    EXPECT_EQ(PendingBytes(), expected);
    std::vector<uint32_t> pieces;
    for (const CallbackEvent& event : PendingEvents()) {
        EXPECT_EQ(event.message, kMimLongData);
        EXPECT_EQ(event.handle, MidiInHandle);
        pieces.push_back(event.dwParam1);
    }
    EXPECT_EQ(pieces, (std::vector<uint32_t>{
                          static_cast<uint32_t>(expected.size() - text.size() - setup.size()),
                          static_cast<uint32_t>(text.size()), 512,
                          static_cast<uint32_t>(setup.size() - 512)}));
    EXPECT_EQ(qz4sim.Stop(), 0);
}

TEST_F(RtMidiOverJack, ClosingAndReopeningTheInput50TimesWhileRepliesArriveEndsEachInputCleanly) {
    const std::string name = UniqueName("reopen");
    Qz4SimProcess qz4sim(name);
    ASSERT_TRUE(qz4sim.Ready());
    ChooseSimulator(name);
    view.OpenMidiOut();
    ASSERT_EQ(view.m_bOutOpen, 1);

    uint32_t bytesReceived = 0;
    for (int round = 0; round < 50; ++round) {
        SkipPendingInput();
        ASSERT_EQ(view.OpenMidiIn(), 1) << "round " << round;
        // Open for 0 to 4 JACK periods, so that closes meet replies at every stage. How
        // long the input stays open is what varies here, so it is a time.
        for (int request = 0; request < 3; ++request) {
            Send(request == 1 ? kSetupInformationRequest : kScanRequest);
            std::this_thread::sleep_for(std::chrono::microseconds(2500 * (round % 8)));
        }
        ASSERT_EQ(view.CloseMidiIn(), 0) << "round " << round;
        const uint32_t eventsAtClose = EventWriteCount.load();

        Send(kScanRequest); // its reply reaches a closed port
        // That nothing comes shows only as time in which it does not: about 3 JACK
        // periods, in which the reply would come. Not a wait on the reply heard on a port
        // of the test's own: on a busy machine JACK loses one now and then.
        std::this_thread::sleep_for(std::chrono::milliseconds(15));

        EXPECT_EQ(EventWriteCount.load(), eventsAtClose) << "round " << round;
        const std::vector<CallbackEvent> events = PendingEvents();
        bytesReceived += static_cast<uint32_t>(PendingBytes().size());
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(events.front().message, kMimOpen);
        // The buffer's last return: the reset's, with no bytes, or a reply that met the
        // closing flag and so was not queued again.
        EXPECT_EQ(events[events.size() - 2].message, kMimLongData);
        EXPECT_EQ(events.back().message, kMimClose);
    }
    EXPECT_EQ(InputEventsLost.load(), 0u);
    EXPECT_GT(bytesReceived, 0u); // replies did arrive between the opens and closes
}

TEST_F(RtMidiOverJack, APortThatVanishedAfterTheListingFailsToOpenWithItsLines) {
    const std::string name = UniqueName("vanish");
    auto qz4sim = std::make_unique<Qz4SimProcess>(name);
    ASSERT_TRUE(qz4sim->Ready());
    ChooseSimulator(name);
    MidiInCaps in{};
    MidiOutCaps out{};
    services.InGetDevCaps(inDialog.m_nDevice, &in);
    services.OutGetDevCaps(outDialog.m_nDevice, &out);

    EXPECT_EQ(qz4sim->Stop(), 0);
    EXPECT_EQ(view.OpenMidiIn(), 0);
    view.OpenMidiOut();

    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(), (Lines{std::string("In Open ") + in.szPname + " ",
                                 "In Open FAILED  The MIDI device is no longer present.",
                                 std::string("Out Open ") + out.szPname +
                                     " The MIDI device is no longer present."}));
}

// A callback that stalls on its first data: the close must wait for it, however long.
// The stall is a time, not a wait on the test: a reset that waits can't be seen while
// it waits, only by returning after the callback has.
std::atomic<int> StalledCallbacksRunning{0};
std::atomic<int> StalledCallbacksDone{0};
std::atomic<int> ClosesSeen{0};
void StallingCallback(MidiHandle, uint32_t message, uintptr_t, uintptr_t, uintptr_t) {
    if (message == kMimClose) {
        ClosesSeen.fetch_add(1);
    }
    if (message == kMimLongData && StalledCallbacksDone.load() == 0 &&
        StalledCallbacksRunning.fetch_add(1) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        StalledCallbacksDone.store(1);
    }
}

TEST_F(RtMidiOverJack, ClosingTheInputWaitsForACallbackStillRunningAndServicesCloseTheirPorts) {
    const std::string name = UniqueName("stall");
    Qz4SimProcess qz4sim(name);
    ASSERT_TRUE(qz4sim.Ready());
    ChooseSimulator(name);
    auto own = std::make_unique<RtMidiServices>("jack");
    MidiHandle input = 0;
    MidiHandle output = 0;
    ASSERT_EQ(own->InOpen(&input, static_cast<uint32_t>(inDialog.m_nDevice), StallingCallback, 0),
              MidiResult::NoError);
    ASSERT_EQ(own->InStart(input), MidiResult::NoError);
    uint8_t buffer[512];
    MidiHeader header{buffer, sizeof buffer, 0, 0, 0};
    ASSERT_EQ(own->InPrepareHeader(input, &header), MidiResult::NoError);
    ASSERT_EQ(own->InAddBuffer(input, &header), MidiResult::NoError);
    ASSERT_EQ(own->OutOpen(&output, static_cast<uint32_t>(outDialog.m_nDevice), nullptr, 0),
              MidiResult::NoError);
    Bytes request = kScanRequest;
    MidiHeader sent{request.data(), static_cast<uint32_t>(request.size()), 0, 0, 0};
    ASSERT_EQ(own->OutPrepareHeader(output, &sent), MidiResult::NoError);
    ASSERT_EQ(own->OutLongMsg(output, &sent), MidiResult::NoError);
    ASSERT_TRUE(WaitUntil([] { return StalledCallbacksRunning.load() > 0; }));

    own->InReset(input);
    EXPECT_EQ(StalledCallbacksDone.load(), 1) << "the reset returned while the callback ran";
    // Destroyed with both ports open: the input is closed first, and says so.
    own.reset();
    EXPECT_EQ(ClosesSeen.load(), 1);
    EXPECT_EQ(qz4sim.Stop(), 0);
}

// A MIDI peer of the test's own on JACK, sending whatever bytes it is given as one event
// each. What it is given waits in a ring until a period has room for it and a port
// listens, so a sender faster than JACK carries waits for that room, and nothing is
// lost for want of it.
class RawJackSender {
public:
    explicit RawJackSender(const std::string& name) {
        jack_status_t status{};
        m_client = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (m_client == nullptr) {
            return;
        }
        m_ring = jack_ringbuffer_create(kRingBytes);
        m_out = jack_port_register(m_client, (name + " out").c_str(), JACK_DEFAULT_MIDI_TYPE,
                                   JackPortIsOutput, 0);
        jack_set_process_callback(m_client, &RawJackSender::Process, this);
        m_ready = m_ring != nullptr && m_out != nullptr && jack_activate(m_client) == 0;
    }
    ~RawJackSender() {
        if (m_client != nullptr) {
            jack_deactivate(m_client);
            jack_client_close(m_client);
        }
        if (m_ring != nullptr) {
            jack_ringbuffer_free(m_ring);
        }
    }
    RawJackSender(const RawJackSender&) = delete;
    RawJackSender& operator=(const RawJackSender&) = delete;

    bool Ready() const { return m_ready; }

    // Sends to the first input port whose name contains `part`.
    bool ConnectTo(const std::string& part) {
        const char** ports =
            jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
        bool connected = false;
        for (const char** port = ports; port != nullptr && *port != nullptr && !connected; ++port) {
            connected = std::string(*port).find(part) != std::string::npos &&
                        jack_connect(m_client, jack_port_name(m_out), *port) == 0;
        }
        jack_free(ports);
        return connected;
    }

    bool Send(const Bytes& message) {
        const auto size = static_cast<uint32_t>(message.size());
        if (!WaitUntil([&] { return jack_ringbuffer_write_space(m_ring) >= sizeof size + size; })) {
            return false;
        }
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&size), sizeof size);
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(message.data()), size);
        return true;
    }
    // Sends `total` bytes of an unfinished SysEx: F0 and data bytes, in events of 256.
    bool SendEndlessSysex(size_t total) {
        Bytes piece(256, 0x35);
        piece[0] = 0xF0;
        for (size_t sent = 0; sent < total; sent += piece.size()) {
            if (!Send(piece)) {
                return false;
            }
            piece[0] = 0x35;
        }
        return true;
    }
    // Until everything given has gone out in a period.
    bool WaitUntilSent() {
        return WaitUntil([this] { return jack_ringbuffer_read_space(m_ring) == 0; });
    }

private:
    static constexpr size_t kRingBytes = 16384;

    // The connections a process callback sees are those of the graph JACK runs in that
    // period, not those asked for a moment ago.
    static int Process(jack_nframes_t frames, void* self) noexcept {
        auto* sender = static_cast<RawJackSender*>(self);
        void* out = jack_port_get_buffer(sender->m_out, frames);
        jack_midi_clear_buffer(out);
        if (jack_port_connected(sender->m_out) == 0) {
            return 0; // what a period carries to nobody is lost
        }
        uint32_t size = 0;
        while (jack_ringbuffer_peek(sender->m_ring, reinterpret_cast<char*>(&size), sizeof size) ==
                   sizeof size &&
               jack_ringbuffer_read_space(sender->m_ring) >= sizeof size + size &&
               jack_midi_max_event_size(out) >= size) {
            jack_midi_data_t* event = jack_midi_event_reserve(out, 0, size);
            if (event == nullptr) {
                break;
            }
            jack_ringbuffer_read_advance(sender->m_ring, sizeof size);
            jack_ringbuffer_read(sender->m_ring, reinterpret_cast<char*>(event), size);
        }
        return 0;
    }

    jack_client_t* m_client = nullptr;
    jack_ringbuffer_t* m_ring = nullptr;
    jack_port_t* m_out = nullptr;
    bool m_ready = false;
};

uint32_t BytesThatReachedTheCallback() {
    return ByteWriteCount.load() + InputBytesLost.load();
}

TEST_F(RtMidiOverJack, AnEndlessSysexReachesTheRingsAsItArrivesAndNothingWaitsForItsEnd) {
    const std::string name = UniqueName("endless");
    RawJackSender peer(name);
    ASSERT_TRUE(peer.Ready());
    inDialog.m_nDevice = FindDevice<MidiInCaps>(
        name + " out", [&] { return services.InGetNumDevs(); },
        [&](uint32_t d, MidiInCaps* c) { return services.InGetDevCaps(d, c); });
    ASSERT_GE(inDialog.m_nDevice, 0);
    ASSERT_EQ(view.OpenMidiIn(), 1);
    const uint32_t before = BytesThatReachedTheCallback();

    // Twice what one unfinished message may hold anywhere, none of which must be held
    // back for its end. A busy machine may still lose an event now and then, so most of
    // it, not all, is asked for; the rings count what the unread decoder had no room for.
    constexpr uint32_t kTotal = 128 * 1024;
    ASSERT_TRUE(peer.SendEndlessSysex(kTotal));
    EXPECT_TRUE(WaitUntil([&] { return BytesThatReachedTheCallback() - before >= kTotal * 3 / 4; }))
        << BytesThatReachedTheCallback() - before << " of " << kTotal << " bytes";
    EXPECT_LE(BytesThatReachedTheCallback() - before, kTotal);
    EXPECT_GT(InputBytesLost.load(), 0u);
}

TEST_F(RtMidiOverJack, Qz4simAnswersAfterAnEndlessSysexAndAFloodWithoutStaleReplies) {
    const std::string name = UniqueName("flood");
    Qz4SimProcess qz4sim(name);
    ASSERT_TRUE(qz4sim.Ready());
    ChooseSimulator(name);
    ASSERT_EQ(view.OpenMidiIn(), 1);
    RawJackSender peer(name + "-peer");
    ASSERT_TRUE(peer.Ready());
    ASSERT_TRUE(peer.ConnectTo(name + " in"));

    ASSERT_TRUE(peer.SendEndlessSysex(64 * 1024));
    // A flood of scan requests, as fast as the sender's ring takes them: answered one
    // after the other, with the simulator's latency each, it would keep the box busy
    // for about a second.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(peer.Send(kScanRequest));
    }
    ASSERT_TRUE(peer.WaitUntilSent());
    // What the box kept of the flood it may still answer, but not for long: the claim is
    // one of time, so time passes here.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SkipPendingInput();

    peer.Send(kSetupTextRequest);
    const Bytes text = Qz4Model().Respond(kSetupTextRequest.data(), kSetupTextRequest.size());
    ASSERT_TRUE(WaitUntil([&] { return PendingBytes().size() >= text.size(); }));
    const Bytes first = PendingBytes();
    EXPECT_EQ(Bytes(first.begin(), first.begin() + static_cast<long>(text.size())), text)
        << "stale scans still arrived 300 ms after the flood";
    EXPECT_EQ(qz4sim.Stop(), 0);
}

TEST(Qz4sim, SaysReadyOnlyOnceItsPortsAreOpen) {
    // JACK takes client names of at most 63 bytes: the ports can't be made.
    Qz4SimProcess qz4sim(std::string(200, 'q'));
    EXPECT_FALSE(qz4sim.Ready());
    EXPECT_EQ(qz4sim.Stop(), 1);
}

// The name is the user's; on a terminal its escape sequences would act.
TEST(Qz4sim, NamesItsPortsEscapedInItsReadyLine) {
    Qz4SimProcess qz4sim("qz4sim\x1b[2J\x9b"
                         "1m");

    ASSERT_TRUE(qz4sim.Ready()) << qz4sim.FirstLine();
    EXPECT_EQ(qz4sim.FirstLine(), "qz4sim: ready on Jack: requests to 'qz4sim\\x1b[2J\\x9b1m in', "
                                  "replies from 'qz4sim\\x1b[2J\\x9b1m out'\n");
    EXPECT_EQ(qz4sim.Stop(), 0);
}

TEST(RtMidiServices, WithoutAReachableServerNoRealDeviceIsListedAndTheReasonIsKnown) {
    const std::string server =
        std::getenv("JACK_DEFAULT_SERVER") ? std::getenv("JACK_DEFAULT_SERVER") : "";
    setenv("JACK_DEFAULT_SERVER", "wt-no-such-server", 1);
    RtMidiServices real("jack");
    SimulatorServices simulator;
    CompositeMidiServices composite(real, simulator);
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);

    EXPECT_FALSE(real.Reachable());
    EXPECT_EQ(real.InGetNumDevs(), 0u);
    EXPECT_EQ(real.OutGetNumDevs(), 0u);
    EXPECT_EQ(composite.InGetNumDevs(), 1u);
    EXPECT_EQ(composite.OutGetNumDevs(), 1u);
    EXPECT_EQ(composite.UnavailableReason(),
              "no MIDI system can be reached (Jack: no JACK server is running under the name "
              "'wt-no-such-server')");
}

TEST(RtMidiServices, AnUnknownApiNameIsNamedInTheReason) {
    RtMidiServices real("midi-over-smoke-signals");

    EXPECT_FALSE(real.Reachable());
    EXPECT_EQ(real.UnavailableReason().rfind("no MIDI system can be reached (unknown MIDI API "
                                             "'midi-over-smoke-signals' in --api",
                                             0),
              0u)
        << real.UnavailableReason();
}

} // namespace
