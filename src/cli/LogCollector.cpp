#include "cli/LogCollector.h"

#include <cstdio>
#include <cstring>

LogCollector::LogCollector(const OutputOptions& output) : m_print(output.jsonPath != "-") {
    MessageLog.SetObserver(this);
}

LogCollector::~LogCollector() {
    MessageLog.SetObserver(nullptr);
}

void LogCollector::Flush() {
    MessageLog.FlushObserver();
}

void LogCollector::OnLineCompleted(const char* text) {
    if (m_print) {
        std::fwrite(text, 1, std::strlen(text), stdout);
        std::fputc('\n', stdout);
    }
}
