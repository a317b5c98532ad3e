#pragma once

#include <string>
#include <string_view>

// How every output of the program is written, File Save and the runner's files alike.
// A path is bytes, used as given, and leads where ResolvePath (FilePaths.h) says.
// - One of this process's descriptors (standard output named as /dev/stdout, or the
//   file the shell gave it with `>>`) is written through, after whatever the program
//   printed there before: what the shell set up is never replaced.
// - A new file, or an existing regular file of the user's own, is replaced whole or
//   not at all: the bytes go to a temporary file beside it (unnamed where the system
//   allows, so that not even SIGKILL leaves one behind), which then takes the name. A
//   replaced file keeps its group, where the user may give it, and all its mode bits.
// - Anything else that exists is written in place, never replaced: a device, a FIFO,
//   another user's file (its owner and bits stay).
// On failure `error` says which path and why, and nothing new is left behind.
bool WriteOutputFile(const std::string& path, std::string_view bytes, std::string* error);

// Whether WriteOutputFile could write `path`, found out without writing and without
// opening it (a FIFO is never opened here), so that a session can refuse at its start.
bool CanWriteOutputFile(const std::string& path, std::string* error);

// Removes the named temporary file of a replacement under way, if there is one. Safe
// in a signal handler, for a program that a signal ends in the middle of a write.
void RemovePendingTemporaryFile();
