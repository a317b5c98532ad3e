#pragma once

#include <string_view>

// Everything the runner prints on standard output goes through here. Each piece is
// flushed as soon as it is written, so that a reader of a pipe or a file sees a line
// the moment it is complete, and the first failure is kept with its own error number
// for the message at the end.
void PrintOut(std::string_view text);

// Standard output was closed when the program started (`>&-`): its text went to
// /dev/null, and the run must still end as one whose results were lost.
void NoteStandardOutputClosedAtStart();

// 0 when everything reached standard output; else the error number of the first
// failure (EBADF for one closed at start).
int StandardOutputError();
