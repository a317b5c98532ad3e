#include "log/CLocalePrintf.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

int CLocaleVsnprintf(char* buffer, size_t size, const char* format, va_list args) {
    // glibc hands out its built-in object for "C": nothing is allocated, nothing to free.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) {
        return std::vsnprintf(buffer, size, format, args);
    }
    const locale_t previous = uselocale(cLocale);
    const int length = std::vsnprintf(buffer, size, format, args);
    uselocale(previous);
    return length;
}
