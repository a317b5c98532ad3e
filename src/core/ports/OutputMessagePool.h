#pragma once

#include "services/MidiServices.h"

#include <cstdint>
#include <memory>
#include <vector>

// Storage for the messages in flight on the output: each sent message is copied into a
// slot of its own, with its own header, that stays untouched until the device is done
// with it. Back-to-back sends therefore never share bytes. Window thread only.
class OutputMessagePool {
public:
    // Frees the slots the device is done with: those for which OutUnprepareHeader no
    // longer answers StillPlaying (a closed port answers InvalidHandle: done too).
    void Reclaim(MidiServices& services);
    // Copies `size` bytes into a free slot (a new one when all are in flight) and
    // returns its header, with lpData and dwBufferLength set to the copy.
    MidiHeader* Store(const uint8_t* bytes, uint32_t size, MidiHandle handle);
    // Gives the slot back at once: the device never took the message.
    void Release(const MidiHeader* header);
    int InFlight() const;
    void Clear();

private:
    struct Slot {
        MidiHeader header{};
        std::vector<uint8_t> bytes;
        MidiHandle handle = 0;
        bool busy = false;
    };
    std::vector<std::unique_ptr<Slot>> m_slots;
};

extern OutputMessagePool OutputMessages;
