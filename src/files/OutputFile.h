#pragma once

#include <string>
#include <string_view>

// How every output of the program is written, File Save and the runner's files alike.
// A path is bytes, used as given.
// - A new file, or an existing regular file of the user's own, is replaced whole or
//   not at all: the bytes go to a temporary file beside it, which is renamed over it.
//   A replaced file keeps its permission bits.
// - Anything else that exists is written in place, never replaced: a device, a FIFO,
//   another user's file (its owner and bits stay).
// - A symbolic link is followed only where the kernel's protected-symlinks rule would
//   follow it: the link is the user's own, or its folder is not sticky and world-
//   writable, or the folder's owner owns the link. Otherwise the write fails.
// On failure `error` says which path and why, and nothing new is left behind.
bool WriteOutputFile(const std::string& path, std::string_view bytes, std::string* error);

// Whether WriteOutputFile could write `path`, found out without writing and without
// opening it (a FIFO is never opened here), so that a session can refuse at its start.
bool CanWriteOutputFile(const std::string& path, std::string* error);
