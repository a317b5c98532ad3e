#pragma once

#include <atomic>
#include <cstdint>

// The two single-writer, single-reader rings between the MIDI input callback (the
// writer, on the driver's thread) and the SysEx decoder (the reader, on the window
// thread). Counts are free-running; a ring holds the entries from its read count up
// to, not including, its write count. No lock: the writer fills entries before it
// publishes its count with release ordering, the reader acquires the count first.

static_assert(std::atomic<uint32_t>::is_always_lock_free);
static_assert(std::atomic<int32_t>::is_always_lock_free);

constexpr uint32_t kInputByteRingSize = 8192;
constexpr uint32_t kCallbackEventRingSize = 512;
// A position in a ring is its free-running count masked with the size less one.
static_assert((kInputByteRingSize & (kInputByteRingSize - 1)) == 0,
              "kInputByteRingSize must be a power of two");
static_assert((kCallbackEventRingSize & (kCallbackEventRingSize - 1)) == 0,
              "kCallbackEventRingSize must be a power of two");

// One call of the input callback, as the driver made it.
struct CallbackEvent {
    uint32_t dwParam2; // time stamp of data events
    uint32_t dwParam1; // packed short message; for long data, the bytes recorded
    uint32_t message;  // kMimOpen, kMimData, kMimLongData, ...
    uint32_t instance;
    uint32_t handle;
};

extern uint8_t InputByteRing[kInputByteRingSize];               // written by the callback only
extern std::atomic<uint32_t> ByteWriteCount;                    // written by the callback only
extern std::atomic<uint32_t> ByteReadCount;                     // written by the decoder only
extern CallbackEvent CallbackEventRing[kCallbackEventRingSize]; // written by the callback only
extern std::atomic<uint32_t> EventWriteCount;                   // written by the callback only
extern std::atomic<uint32_t> EventReadCount;                    // written by the decoder only

// What the callback had to drop because the reader lagged: never overwritten, counted.
extern std::atomic<uint32_t> InputBytesLost;  // written by the callback only
extern std::atomic<uint32_t> InputEventsLost; // written by the callback only

// Set by CloseMidiIn (and cleared by OpenMidiIn) on the window thread, cleared by the
// decoder when it meets the long-data event of the close, read by the callback.
extern std::atomic<int32_t> InputClosing;

// Records one callback event and its long-data bytes, whole or not at all.
// Returns false when either ring lacks room; the loss is then counted.
// Runs on the MIDI driver thread: no allocation, no lock.
bool RecordInputEvent(const CallbackEvent& event, const uint8_t* bytes,
                      uint32_t byteCount) noexcept;

// Zeroes both rings, their counts and the loss counts. The program never does this;
// tests and benchmarks start from a clean process state with it.
void ResetInputRings();
