#pragma once

#include <cstdint>

// Sends one complete SysEx message through the open output port. `bytes` points to
// the whole message, F0 to F7; n is the number of bytes between them. The message is
// copied, so the caller's bytes need not outlive the call. With no output open, the
// send has no effect and nothing is reported.
void SendLongMessage(uint32_t n, const uint8_t* bytes);
