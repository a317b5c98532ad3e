#include "cli/LogCollector.h"

#include <cstdio>
#include <cstring>

LogCollector::LogCollector(Lines what) : m_what(what) {
    MessageLog.SetObserver(this);
}

LogCollector::~LogCollector() {
    MessageLog.SetObserver(nullptr);
}

const std::vector<std::string>& LogCollector::KeptLines() {
    MessageLog.FlushObserver();
    return m_lines;
}

void LogCollector::OnLineCompleted(const char* text) {
    if (m_what == Lines::Keep) {
        m_lines.emplace_back(text);
    } else if (m_what == Lines::Print) {
        std::fwrite(text, 1, std::strlen(text), stdout);
        std::fputc('\n', stdout);
    }
}
