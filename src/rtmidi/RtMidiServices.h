#pragma once

#include "rtmidi/JackServerWatch.h"
#include "rtmidi/RtMidiInputPort.h"
#include "rtmidi/RtMidiOutputPort.h"
#include "services/MidiServices.h"

#include <RtMidi.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// The real MIDI system through RtMidi: every port RtMidi reports, in its order. The
// API is the one named (or WINTESSELTEST_MIDI_API), else ALSA and then JACK; when none
// can be reached the backend lists no device and says why in UnavailableReason.
// On JACK, an open input whose device goes away gets a kMimError at once, and one whose
// server goes away at the next call on the window thread (a send, at each poll tick);
// after the server has gone, every listing looks for it again, and ports open anew once
// it is back.
class RtMidiServices final : public MidiServices {
public:
    static constexpr int kMaxOpenPorts = 16; // per direction

    explicit RtMidiServices(const std::string& forcedApi = {});
    ~RtMidiServices() override;

    bool Reachable() const { return m_listIn != nullptr; }
    RtMidi::Api Api() const { return m_api; }
    std::string UnavailableReason() const override { return m_unavailable; }

    uint32_t InGetNumDevs() override;
    MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) override;
    MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                      uintptr_t instance) override;
    MidiResult InStart(MidiHandle handle) override;
    MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) override;
    MidiResult InReset(MidiHandle handle) override;
    MidiResult InClose(MidiHandle handle) override;

    uint32_t OutGetNumDevs() override;
    MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) override;
    MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                       uintptr_t instance) override;
    MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutClose(MidiHandle handle) override;

private:
    // A handle is a generation number above the slot of its port, so it is found
    // without a lookup table, from the driver thread too, and never reused.
    static constexpr int kSlotBits = 4;
    static_assert(1 << kSlotBits == kMaxOpenPorts);
    static int SlotOf(MidiHandle handle) { return handle & (kMaxOpenPorts - 1); }
    MidiHandle NewHandle(int slot) {
        return ++m_generation << kSlotBits | static_cast<MidiHandle>(slot);
    }

    RtMidiInputPort* Input(MidiHandle handle) const;
    RtMidiOutputPort* Output(MidiHandle handle) const;
    void ListInputs();
    void ListOutputs();

    // Starts listing on `api`, which the caller found reachable.
    bool Connect(RtMidi::Api api, std::string* reason);
    // Before any RtMidi call on the window thread: once the JACK server has gone, the
    // open inputs report it, and every RtMidi object made for it is abandoned (using one
    // after a server of that name is back crashes inside the JACK library).
    void LetGoOfLostServer();
    // Before a listing: a server that went away is looked for again.
    void FollowServer();
    // On JACK's notification thread.
    static void OnPortGone(const char* portName, void* self);

    RtMidi::Api m_api = RtMidi::UNSPECIFIED;
    std::string m_unavailable;
    // One client per direction for listing, kept rather than made per listing.
    std::unique_ptr<RtMidiIn> m_listIn;
    std::unique_ptr<RtMidiOut> m_listOut;
    std::vector<std::string> m_inNames; // as of the last count
    std::vector<std::string> m_outNames;
    bool m_inListed = false;
    bool m_outListed = false;

    MidiHandle m_generation = 0;
    // Ports are made on first use and kept; the input slots are read by the driver.
    std::atomic<RtMidiInputPort*> m_inputSlots[kMaxOpenPorts] = {};
    std::unique_ptr<RtMidiInputPort> m_inputs[kMaxOpenPorts];
    std::unique_ptr<RtMidiOutputPort> m_outputs[kMaxOpenPorts];

    bool m_serverLost = false;
    // Last, so that it is gone, and its callbacks with it, before the ports.
    std::unique_ptr<JackServerWatch> m_watch;
};
