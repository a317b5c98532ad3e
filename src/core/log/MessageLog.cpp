#include "log/MessageLog.h"

#include "log/CLocalePrintf.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

constinit MessageLogTable MessageLog;

char* MessageLogTable::BeginLine() {
    NotifyNewest();
    if (LogCount == INT32_MAX) {
        // Keep the entry index and stay past one full table, so that the newest lines
        // are still the ones read; only the absolute count is folded.
        LogCount = 2 * kLines + (LogCount & (kLines - 1));
        m_reported = LogCount;
    }
    return LogLines[LogCount & (kLines - 1)];
}

void MessageLogTable::AppendFormatted(bool complete, const char* format, va_list args) {
    char* line = BeginLine();
    CLocaleVsnprintf(line, kLineBytes, format, args);
    ++LogCount;
    if (complete) {
        NotifyNewest();
    }
}

void MessageLogTable::Append(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatted(true, format, args);
    va_end(args);
}

void MessageLogTable::AppendFirstPiece(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatted(false, format, args);
    va_end(args);
}

void MessageLogTable::AppendText(const char* text) {
    char* line = BeginLine();
    std::snprintf(line, kLineBytes, "%s", text);
    ++LogCount;
    NotifyNewest();
}

void MessageLogTable::AppendToLast(const char* text) {
    if (LogCount == 0) {
        return; // no line to extend
    }
    char* line = LogLines[(LogCount - 1) & (kLines - 1)];
    const size_t used = strnlen(line, kLineBytes - 1);
    std::snprintf(line + used, kLineBytes - used, "%s", text);
    NotifyNewest();
}

void MessageLogTable::Clear() {
    NotifyNewest();
    LogCount = 0;
    m_reported = 0;
}

void MessageLogTable::SetObserver(LineObserver* observer) {
    m_observer = observer;
    m_reported = LogCount;
}

void MessageLogTable::FlushObserver() {
    NotifyNewest();
}

void MessageLogTable::NotifyNewest() {
    if (m_observer != nullptr && m_reported < LogCount) {
        m_observer->OnLineCompleted(Line(LogCount - 1));
    }
    m_reported = LogCount;
}
