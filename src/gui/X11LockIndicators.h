#pragma once

#include <optional>

struct LockIndicators {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// The keyboard's lock indicators as the X server holds them; nothing where the program
// does not run on X11 (offscreen, Wayland) and so can't know them.
std::optional<LockIndicators> ReadX11LockIndicators();
