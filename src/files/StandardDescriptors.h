#pragma once

// Which of the standard descriptors the program was started without (`>&-`).
struct ClosedStandardDescriptors {
    bool input = false;
    bool output = false;
    bool error = false;
};

// Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed. Called first
// thing in main: otherwise the next file that the program or a library opens (a
// report, a MIDI server's shared memory) takes that number, and text meant for standard
// output or standard error is written into it.
ClosedStandardDescriptors ReopenClosedStandardDescriptors();
