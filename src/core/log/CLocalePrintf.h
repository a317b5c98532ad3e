#pragma once

#include <cstdarg>
#include <cstddef>

// std::vsnprintf with the "C" locale's numbers: a decimal point and no digit grouping,
// whatever locale the process is in. A Qt application object sets the C library's
// locale from the environment when it is made, and on a German desktop "%.2f" would
// then write "37,36" into the monitor's fields, the saved report and the runner's output,
// which scripts and other machines read. Only the calling thread's locale is switched,
// and only for the call, so threads that format at the same time don't meet.
int CLocaleVsnprintf(char* buffer, size_t size, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));
