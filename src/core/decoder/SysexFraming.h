#pragma once

#include <cstddef>
#include <cstdint>

// An optional listener for every byte that ProcessMidiInput takes from the InputByteRing,
// in the order taken, one stretch at a time: a capture of it, decoded again, rebuilds
// the same state. Set and called on the window thread only; unset, it costs one test
// per stretch and nothing else.
using ConsumedBytesSink = void (*)(void* context, const uint8_t* bytes, size_t count);

// nullptr removes the listener.
void SetConsumedBytesSink(ConsumedBytesSink sink, void* context);
